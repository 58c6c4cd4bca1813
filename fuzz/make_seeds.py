#!/usr/bin/python3
"""Writes small seed inputs for the fuzz targets, one folder per target's input kind.

    make_seeds.py OUT [--corpus DIR]

OUT/zip         packages for fuzz_zip_reader and fuzz_insert_file, ZIP64 forms among them
OUT/join_parts  NUL-separated parts for fuzz_join_parts (layout in PartPackage.h)
OUT/legacy      mode byte + file for fuzz_legacy_inputs
OUT/natural     cut bytes + names for fuzz_natural_order

With --corpus, documents found under DIR add seeds too: whole packages to zip/, their parts to
join_parts/ (three documents per seed), legacy files to legacy/. Those seeds are copies of other
people's files: keep them out of the repository.
"""
import argparse
import os
import struct
import zipfile
import zlib

W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
R = 'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
DECL = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
REL = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
WML = 'application/vnd.openxmlformats-officedocument.wordprocessingml.'

# The parts of one document, in the order the input gives them (PartPackage.h's kFuzzedParts).
PARTS = ['word/document.xml', 'word/styles.xml', 'word/numbering.xml',
         'word/_rels/document.xml.rels', 'word/theme/theme1.xml', 'word/settings.xml']


def document(body, sect=''):
    sect = sect or ('<w:sectPr><w:pgSz w:w="11906" w:h="16838"/><w:pgMar w:top="1440" '
                    'w:right="1440" w:bottom="1440" w:left="1440" w:header="708" '
                    'w:footer="708" w:gutter="0"/></w:sectPr>')
    return f'{DECL}<w:document {W} {R}><w:body>{body}{sect}</w:body></w:document>'


def para(text, style='', num=None, extra=''):
    ppr = ''
    if style or num:
        ppr = '<w:pPr>'
        if style:
            ppr += f'<w:pStyle w:val="{style}"/>'
        if num:
            ppr += f'<w:numPr><w:ilvl w:val="0"/><w:numId w:val="{num}"/></w:numPr>'
        ppr += '</w:pPr>'
    return f'<w:p>{ppr}<w:r><w:t xml:space="preserve">{text}</w:t></w:r>{extra}</w:p>'


def styles(heading_font='Calibri', heading_size=32, extra=''):
    return (f'{DECL}<w:styles {W}><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts '
            'w:asciiTheme="minorHAnsi" w:hAnsiTheme="minorHAnsi"/><w:sz w:val="22"/><w:lang '
            'w:val="en-GB" w:eastAsia="ja-JP" w:bidi="ar-SA"/></w:rPr></w:rPrDefault>'
            '<w:pPrDefault><w:pPr><w:spacing w:after="160"/></w:pPr></w:pPrDefault>'
            '</w:docDefaults><w:latentStyles w:defLockedState="0" w:count="2">'
            '<w:lsdException w:name="Normal" w:qFormat="1"/></w:latentStyles>'
            '<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/>'
            '<w:qFormat/></w:style>'
            '<w:style w:type="character" w:default="1" w:styleId="DefaultParagraphFont">'
            '<w:name w:val="Default Paragraph Font"/><w:uiPriority w:val="1"/></w:style>'
            '<w:style w:type="paragraph" w:styleId="Heading1"><w:name w:val="heading 1"/>'
            '<w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:link w:val="Heading1Char"/>'
            f'<w:rPr><w:rFonts w:ascii="{heading_font}"/><w:sz w:val="{heading_size}"/></w:rPr>'
            '</w:style><w:style w:type="character" w:customStyle="1" w:styleId="Heading1Char">'
            '<w:name w:val="Heading 1 Char"/><w:basedOn w:val="DefaultParagraphFont"/>'
            '<w:link w:val="Heading1"/></w:style>'
            '<w:style w:type="paragraph" w:styleId="ListParagraph"><w:name w:val="List Paragraph"/>'
            '<w:basedOn w:val="Normal"/><w:pPr><w:ind w:left="720"/></w:pPr></w:style>'
            '<w:style w:type="table" w:default="1" w:styleId="TableNormal"><w:name '
            'w:val="Normal Table"/><w:tblPr><w:tblInd w:w="0" w:type="dxa"/></w:tblPr></w:style>'
            f'{extra}</w:styles>')


def numbering(fmt='decimal', nsid='1A2B3C4D', style_link=''):
    link = f'<w:styleLink w:val="{style_link}"/>' if style_link else ''
    return (f'{DECL}<w:numbering {W}><w:abstractNum w:abstractNumId="0">'
            f'<w:nsid w:val="{nsid}"/><w:multiLevelType w:val="hybridMultilevel"/>{link}'
            f'<w:lvl w:ilvl="0"><w:start w:val="1"/><w:numFmt w:val="{fmt}"/>'
            '<w:lvlText w:val="%1."/><w:lvlJc w:val="left"/><w:pPr><w:ind w:left="720" '
            'w:hanging="360"/></w:pPr></w:lvl><w:lvl w:ilvl="1"><w:start w:val="1"/>'
            '<w:numFmt w:val="lowerLetter"/><w:lvlText w:val="%2)"/></w:lvl></w:abstractNum>'
            '<w:num w:numId="1"><w:abstractNumId w:val="0"/></w:num>'
            '<w:num w:numId="2"><w:abstractNumId w:val="0"/><w:lvlOverride w:ilvl="0">'
            '<w:startOverride w:val="1"/></w:lvlOverride></w:num></w:numbering>')


def rels(*extra):
    items = [('rId1', 'styles', 'styles.xml'), ('rId2', 'numbering', 'numbering.xml'),
             ('rId3', 'theme', 'theme/theme1.xml'), ('rId4', 'settings', 'settings.xml'),
             ('rId5', 'fontTable', 'fontTable.xml')] + list(extra)
    body = ''.join(f'<Relationship Id="{i}" Type="{REL}{t}" Target="{target}"/>'
                   for i, t, target in items)
    return (f'{DECL}<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/'
            f'relationships">{body}</Relationships>')


def theme(major='Calibri Light', minor='Calibri', accent='4472C4'):
    a = 'xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"'
    return (f'{DECL}<a:theme {a} name="Office Theme"><a:themeElements><a:clrScheme name="Office">'
            '<a:dk1><a:sysClr val="windowText" lastClr="000000"/></a:dk1><a:lt1><a:sysClr '
            'val="window" lastClr="FFFFFF"/></a:lt1><a:dk2><a:srgbClr val="44546A"/></a:dk2>'
            f'<a:lt2><a:srgbClr val="E7E6E6"/></a:lt2><a:accent1><a:srgbClr val="{accent}"/>'
            '</a:accent1></a:clrScheme><a:fontScheme name="Office"><a:majorFont>'
            f'<a:latin typeface="{major}"/><a:ea typeface=""/><a:cs typeface=""/>'
            '<a:font script="Jpan" typeface="Yu Gothic Light"/></a:majorFont><a:minorFont>'
            f'<a:latin typeface="{minor}"/><a:ea typeface=""/><a:cs typeface=""/>'
            '<a:font script="Arab" typeface="Arial"/></a:minorFont></a:fontScheme>'
            '<a:fmtScheme name="Office"/></a:themeElements></a:theme>')


def settings(even_odd=False, compat='15'):
    eo = '<w:evenAndOddHeaders/>' if even_odd else ''
    return (f'{DECL}<w:settings {W}><w:zoom w:percent="100"/>{eo}<w:defaultTabStop '
            'w:val="720"/><w:characterSpacingControl w:val="doNotCompress"/><w:compat>'
            '<w:compatSetting w:name="compatibilityMode" '
            f'w:uri="http://schemas.microsoft.com/office/word" w:val="{compat}"/></w:compat>'
            '<w:rsids><w:rsidRoot w:val="00A1B2C3"/></w:rsids></w:settings>')


def fields(parts):
    return b'\0'.join(p.encode('utf-8') for p in parts)


def join_parts_seeds():
    plain = [document(para('First document', 'Heading1') + para('one', num=1) +
                      para('two', num=1)),
             styles(), numbering(), rels(), theme(), settings()]
    # Same style ids and list, other definitions, other theme: the merging paths.
    clash = [document(para('Second document', 'Heading1') + para('a', 'ListParagraph', 2) +
                      para('b', 'Custom')),
             styles('Georgia', 40, '<w:style w:type="paragraph" w:customStyle="1" '
                    'w:styleId="Custom"><w:name w:val="Custom"/><w:basedOn w:val="Heading1"/>'
                    '</w:style>'),
             numbering('upperRoman', '5E6F7A8B'), rels(),
             theme('Cambria', 'Times New Roman', 'C00000'), settings(True, '14')]
    stories = [document(
        para('notes', extra='<w:r><w:footnoteReference w:id="1"/></w:r><w:r>'
             '<w:endnoteReference w:id="1"/></w:r><w:commentRangeStart w:id="0"/><w:r>'
             '<w:commentReference w:id="0"/></w:r><w:bookmarkStart w:id="0" w:name="mark"/>'
             '<w:bookmarkEnd w:id="0"/>') +
        para('field', extra='<w:fldSimple w:instr=" REF mark \\h "><w:r><w:t>x</w:t></w:r>'
             '</w:fldSimple>'),
        '<w:sectPr><w:headerReference w:type="default" r:id="rId10"/><w:footerReference '
        'w:type="default" r:id="rId11"/><w:titlePg/></w:sectPr>'),
        styles(), '', rels(('rId6', 'footnotes', 'footnotes.xml'),
                           ('rId7', 'endnotes', 'endnotes.xml'),
                           ('rId8', 'comments', 'comments.xml'),
                           ('rId9', 'hyperlink', 'http://example.com/" TargetMode="External'),
                           ('rId10', 'header', 'header1.xml'), ('rId11', 'footer', 'footer1.xml')),
        theme(), '']
    table = [document('<w:tbl><w:tblPr><w:tblStyle w:val="TableGrid"/></w:tblPr><w:tblGrid>'
                      '<w:gridCol w:w="4000"/></w:tblGrid><w:tr><w:tc><w:p><w:r><w:t>cell</w:t>'
                      '</w:r></w:p></w:tc></w:tr></w:tbl>' + para('after')),
             '', '', '', '', '']
    return {
        'three_documents': fields(plain + clash + stories),
        'two_documents': fields(plain + clash),
        'notes_first': fields(stories + plain),
        'table_then_lists': fields(table + clash + plain),
        'one_document': fields(plain),
    }


# --- ZIP packages, written by hand so that ZIP64 forms can be made small. ---

def minimal_docx():
    ct = (f'{DECL}<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
          '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.'
          'relationships+xml"/><Default Extension="xml" ContentType="application/xml"/>'
          f'<Override PartName="/word/document.xml" ContentType="{WML}document.main+xml"/>'
          f'<Override PartName="/word/styles.xml" ContentType="{WML}styles+xml"/></Types>')
    pkg_rels = (f'{DECL}<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/'
                f'relationships"><Relationship Id="rId1" Type="{REL}officeDocument" '
                'Target="word/document.xml"/></Relationships>')
    doc_rels = (f'{DECL}<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/'
                f'relationships"><Relationship Id="rId1" Type="{REL}styles" '
                'Target="styles.xml"/></Relationships>')
    return [('[Content_Types].xml', ct), ('_rels/.rels', pkg_rels),
            ('word/document.xml', document(para('Hello', 'Heading1'))),
            ('word/_rels/document.xml.rels', doc_rels), ('word/styles.xml', styles())]


def write_zip(entries, deflate=True, zip64_entries=False, zip64_end=False):
    """A ZIP of (name, text) pairs. zip64_entries puts sizes and offsets in ZIP64 extra fields
    (0xFFFFFFFF in the headers); zip64_end adds the ZIP64 end record and its locator."""
    out = bytearray()
    central = bytearray()
    for name, text in entries:
        data = text.encode('utf-8') if isinstance(text, str) else text
        crc = zlib.crc32(data) & 0xFFFFFFFF
        if deflate:
            c = zlib.compressobj(6, zlib.DEFLATED, -15)
            stored = c.compress(data) + c.flush()
            method = 8
        else:
            stored, method = data, 0
        offset = len(out)
        raw_name = name.encode('utf-8')
        if zip64_entries:
            local_extra = struct.pack('<HHQQ', 1, 16, len(data), len(stored))
            central_extra = struct.pack('<HHQQQ', 1, 24, len(data), len(stored), offset)
            csize = usize = off = 0xFFFFFFFF
            version = 45
        else:
            local_extra = central_extra = b''
            csize, usize, off, version = len(stored), len(data), offset, 20
        out += struct.pack('<IHHHHHIIIHH', 0x04034B50, version, 0, method, 0, 0x21, crc,
                           csize, usize, len(raw_name), len(local_extra))
        out += raw_name + local_extra + stored
        central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014B50, version, version, 0, method, 0,
                               0x21, crc, csize, usize, len(raw_name), len(central_extra), 0, 0,
                               0, 0, off)
        central += raw_name + central_extra
    cd_offset = len(out)
    out += central
    count = len(entries)
    if zip64_end:
        end64 = len(out)
        out += struct.pack('<IQHHIIQQQQ', 0x06064B50, 44, 45, 45, 0, 0, count, count,
                           len(central), cd_offset)
        out += struct.pack('<IIQI', 0x07064B50, 0, end64, 1)
        out += struct.pack('<IHHHHIIH', 0x06054B50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF,
                           0xFFFFFFFF, 0)
    else:
        out += struct.pack('<IHHHHIIH', 0x06054B50, 0, 0, count, count, len(central),
                           cd_offset, 0)
    return bytes(out)


def zip_seeds():
    docx = minimal_docx()
    return {
        'docx_deflated.docx': write_zip(docx),
        'docx_stored.docx': write_zip(docx, deflate=False),
        'docx_zip64_entries.docx': write_zip(docx, zip64_entries=True),
        'docx_zip64_end.docx': write_zip(docx, zip64_end=True),
        'docx_zip64_both.docx': write_zip(docx, zip64_entries=True, zip64_end=True),
        'stored_zip64.zip': write_zip([('a.xml', '<a/>'), ('_rels/.rels', '<Relationships/>')],
                                      deflate=False, zip64_entries=True, zip64_end=True),
    }


# --- Legacy inputs: a mode byte (even: a file as it is; odd: package fields to repair). ---

def compound_file(stream_name='WordDocument', magic=0xA5EC):
    """A small OLE2 compound file: one FAT sector, one directory sector, and a 4096-byte stream
    (the mini-stream cutoff, so it lies in ordinary sectors) starting with a FIB magic."""
    sector = 512
    data_sectors = 4096 // sector
    fat = [0xFFFFFFFD, 0xFFFFFFFE]  # sector 0: the FAT, sector 1: the directory
    for i in range(data_sectors):
        fat.append(2 + i + 1 if i + 1 < data_sectors else 0xFFFFFFFE)
    fat += [0xFFFFFFFF] * (sector // 4 - len(fat))
    header = bytearray(b'\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1' + bytes(16))
    header += struct.pack('<HHHHH', 0x3E, 3, 0xFFFE, 9, 6) + bytes(6)
    header += struct.pack('<IIIIIIIII', 0, 1, 1, 0, 4096, 0xFFFFFFFE, 0, 0xFFFFFFFE, 0)
    header += struct.pack('<I', 0) + struct.pack('<I', 0xFFFFFFFF) * 108

    def entry(name, kind, child, start, size):
        raw = name.encode('utf-16-le') + b'\0\0'
        e = raw.ljust(64, b'\0') + struct.pack('<HBBIII', len(raw), kind, 1, 0xFFFFFFFF,
                                               0xFFFFFFFF, child)
        e += bytes(16) + struct.pack('<I', 0) + bytes(16)
        e += struct.pack('<IQ', start, size)
        return e
    directory = entry('Root Entry', 5, 1, 0xFFFFFFFE, 0) + entry(stream_name, 2, 0xFFFFFFFF, 2,
                                                                 4096)
    directory = directory.ljust(sector, b'\0')
    stream = bytearray(4096)
    stream[0:2] = struct.pack('<H', magic)
    stream[2:4] = struct.pack('<H', 0xC1)
    return bytes(header) + struct.pack(f'<{sector // 4}I', *fat) + directory + bytes(stream)


def legacy_seeds():
    mhtml = ('MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary="----=_NextPart"\r\n'
             '\r\n------=_NextPart\r\nContent-Location: file:///C:/doc.htm\r\n'
             'Content-Transfer-Encoding: quoted-printable\r\nContent-Type: text/html; '
             'charset="windows-1252"\r\n\r\n<html><body><p>Hello=20there</p><img '
             'src=3D"doc_files/image001.png"></body></html>\r\n\r\n------=_NextPart\r\n'
             'Content-Location: file:///C:/doc_files/image001.png\r\nContent-Transfer-Encoding: '
             'base64\r\nContent-Type: image/png\r\n\r\niVBORw0KGgo=\r\n\r\n------=_NextPart--\r\n')
    repair = fields([
        document('<w:p><w:pPr><w:jc w:val="center"/><w:pStyle w:val="Missing"/></w:pPr>'
                 '<w:bookmarkStart w:id="1" w:name="twice"/><w:r><w:t>x</w:t></w:r></w:p>'
                 '<w:p><w:bookmarkStart w:id="2" w:name="twice"/><w:bookmarkEnd w:id="2"/>'
                 '<w:r><w:rPr><w:sz w:val="20"/><w:b/></w:rPr><w:drawing><wp:inline '
                 'xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/'
                 'wordprocessingDrawing"><wp:extent cx="-1" cy="99999999999"/></wp:inline>'
                 '</w:drawing></w:r><w:ins w:id="3" w:author="a" w:date="2020-13-45T00:00:00Z"/>'
                 '</w:p>'),
        styles(), numbering(), rels(), '', ''])
    return {
        'rtf_uncounted_bin': b'\0{\\rtf1\\ansi{\\pict\\pngblip\\bin 89504e47}\\par Text}',
        'rtf_counted_bin': b'\0{\\rtf1{\\pict\\bin4 \\}{x}\\b bold\\b0\\bin-3 }',
        'rtf_nested': b'\0{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\*\\bin}\\b\\bin x}',
        'mhtml': b'\0' + mhtml.encode(),
        'html': b'\0<!DOCTYPE html><html><head><meta charset="utf-8"></head><body>x</body></html>',
        'word2003_xml': b'\0<?xml version="1.0"?><?mso-application progid="Word.Document"?>'
                        b'<w:wordDocument xmlns:w="http://schemas.microsoft.com/office/word/2003/'
                        b'wordml"/>',
        'text_utf8': b'\0Plain text \xc3\xa9t\xc3\xa9\n',
        'text_utf16': b'\0\xff\xfeT\0e\0x\0t\0',
        'word97': b'\0' + compound_file(),
        'word6': b'\0' + compound_file(magic=0xA5DC),
        'excel': b'\0' + compound_file('Workbook', 0x0809),
        'encrypted': b'\0' + compound_file('EncryptedPackage', 0),
        'word2': b'\0\xdb\xa5\x2d\x00' + bytes(60),
        'docx': b'\0' + write_zip(minimal_docx()),
        'repair': b'\1' + repair,
    }


def natural_seeds():
    def cut(*names):
        a, b, c = (n.encode('utf-8') if isinstance(n, str) else n for n in names)
        return bytes([len(a), len(b)]) + a + b + c
    return {
        'chapters': cut('Chapter 2.docx', 'Chapter 10.docx', 'chapter 010.docx'),
        'zeros': cut('7', '007', '0007'),
        'case': cut('a', 'A', 'B'),
        'unicode': cut('Élan', 'élan', 'Zebra'),
        'invalid_utf8': cut(b'\xff', b'\xc3', b'a\x80'),
        'long_digits': cut('9' * 30, '1' + '0' * 30, '0' * 31),
        'mixed': cut('x1y2', 'x01y02', 'x1y10'),
    }


def from_corpus(folder, out):
    docx, legacy = [], []
    for root, _, files in os.walk(folder):
        for f in sorted(files):
            path = os.path.join(root, f)
            ext = f.lower().rsplit('.', 1)[-1]
            if ext in ('docx', 'docm', 'dotx'):
                docx.append(path)
            elif ext in ('doc', 'rtf'):
                legacy.append(path)
    parts = []
    for path in sorted(docx):
        with open(path, 'rb') as fh:
            data = fh.read()
        if len(data) <= 64 * 1024:
            save(out, 'zip', 'corpus_' + os.path.basename(path), data)
        try:
            with zipfile.ZipFile(path) as z:
                names = {n.lower(): n for n in z.namelist()}
                fields_ = [z.read(names[p]) if p in names else b'' for p in PARTS]
        except Exception:
            continue
        if b'\0' in b''.join(fields_) or sum(map(len, fields_)) > 48 * 1024:
            continue
        parts.append((os.path.basename(path), fields_))
    for i in range(0, len(parts) - 2, 3):
        group = parts[i:i + 3]
        data = b'\0'.join(f for _, fs in group for f in fs)
        save(out, 'join_parts', 'corpus_' + '+'.join(n for n, _ in group), data)
    for path in sorted(legacy):
        with open(path, 'rb') as fh:
            data = fh.read()
        if len(data) <= 256 * 1024:
            save(out, 'legacy', 'corpus_' + os.path.basename(path), b'\0' + data)


def save(out, kind, name, data):
    folder = os.path.join(out, kind)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as fh:
        fh.write(data)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('out')
    ap.add_argument('--corpus', help='add seeds cut from the documents under this folder')
    args = ap.parse_args()
    for kind, seeds in (('join_parts', join_parts_seeds()), ('zip', zip_seeds()),
                        ('legacy', legacy_seeds()), ('natural', natural_seeds())):
        for name, data in seeds.items():
            save(args.out, kind, name, data)
    if args.corpus:
        from_corpus(args.corpus, args.out)


if __name__ == '__main__':
    main()
