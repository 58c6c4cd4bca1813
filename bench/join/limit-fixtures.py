#!/usr/bin/python3
"""Writes pairs of small documents whose later one LibreOffice shows differently in a join.

Word shows each pair's second document the same alone and joined; LibreOffice does not, for
reasons of its own that no statement in the result can reach. The pairs keep those cases
reproducible, so a page the neighbour check lists can be told apart from one the engine loses:

    bench/join/limit-fixtures.py OUTDIR
    bench/join/neighbour-check.py OUTDIR

- drop-cap.docx, tracked.docx: after a drop cap (a paragraph framed with w:dropCap) anywhere
  earlier in the file, LibreOffice imports the tracked insertions and deletions that follow as
  plain text. tracked.docx keeps its marks first and loses them last.
- large-normal.docx, grid-after.docx: LibreOffice fills the grid columns a row leaves out
  (w:gridAfter, w:gridBefore) with a cell holding an empty paragraph in the file's default
  paragraph style, whose line then sets the row's least height. In a join that style is the
  first document's, so grid-after.docx's rows grow after large-normal.docx.
"""
import os
import sys
import zipfile

W = ('xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" '
     'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"')
SECT = ('<w:sectPr><w:pgSz w:w="12240" w:h="15840"/><w:pgMar w:top="1440" w:right="1440" '
        'w:bottom="1440" w:left="1440" w:header="720" w:footer="720" w:gutter="0"/></w:sectPr>')
PKG = "http://schemas.openxmlformats.org/package/2006"
DOC = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
MAIN = "application/vnd.openxmlformats-officedocument.wordprocessingml"


def write(path, body, normal_size, sect=SECT):
    ct = ('<?xml version="1.0" encoding="UTF-8"?><Types xmlns="%s/content-types">'
          '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
          '<Default Extension="xml" ContentType="application/xml"/>'
          '<Override PartName="/word/document.xml" ContentType="%s.document.main+xml"/>'
          '<Override PartName="/word/styles.xml" ContentType="%s.styles+xml"/></Types>') % (PKG, MAIN, MAIN)
    rels = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="%s/relationships">'
            '<Relationship Id="rId1" Type="%s/officeDocument" Target="word/document.xml"/></Relationships>') % (PKG, DOC)
    drels = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="%s/relationships">'
             '<Relationship Id="rId1" Type="%s/styles" Target="styles.xml"/></Relationships>') % (PKG, DOC)
    styles = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:styles %s>'
              '<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/>'
              '<w:pPr><w:spacing w:after="0" w:line="240" w:lineRule="auto"/></w:pPr>'
              '<w:rPr><w:sz w:val="%d"/><w:szCs w:val="%d"/></w:rPr></w:style></w:styles>') % (W, normal_size, normal_size)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", ct)
        z.writestr("_rels/.rels", rels)
        z.writestr("word/_rels/document.xml.rels", drels)
        z.writestr("word/styles.xml", styles)
        z.writestr("word/document.xml", '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
                   '<w:document %s><w:body>%s%s</w:body></w:document>' % (W, body, sect))


def p(text, size=None):
    rpr = '<w:rPr><w:sz w:val="%d"/></w:rPr>' % size if size else ""
    ppr = "<w:pPr>%s</w:pPr>" % rpr if rpr else ""
    return '<w:p>%s<w:r>%s<w:t xml:space="preserve">%s</w:t></w:r></w:p>' % (ppr, rpr, text)


out = sys.argv[1]
os.makedirs(out, exist_ok=True)

drop = ('<w:p><w:pPr><w:framePr w:dropCap="drop" w:lines="3" w:wrap="around" w:vAnchor="text" w:hAnchor="text"/>'
        '<w:spacing w:line="844" w:lineRule="exact"/></w:pPr><w:r><w:rPr><w:sz w:val="112"/></w:rPr><w:t>D</w:t></w:r></w:p>'
        + p("rop cap, and a paragraph after it."))
write(os.path.join(out, "drop-cap.docx"), drop, 24)
stamp = 'w:author="Reviewer" w:date="2016-04-16T08:20:00Z"'
tracked = (p("Here is some text.")
           + '<w:p><w:ins w:id="1" %s><w:r><w:t>Here is the text inserted.</w:t></w:r></w:ins></w:p>' % stamp
           + p("Here is some more text.")
           + '<w:p><w:del w:id="2" %s><w:r><w:delText>Here is the text deleted.</w:delText></w:r></w:del></w:p>' % stamp)
write(os.path.join(out, "tracked.docx"), tracked, 24)

write(os.path.join(out, "large-normal.docx"), p("A first document whose default paragraph style is 24 pt."), 48)
borders = "".join('<w:%s w:val="single" w:sz="4" w:space="0" w:color="000000"/>' % side
                  for side in ("top", "left", "bottom", "right", "insideH", "insideV"))
cell = ('<w:tc><w:tcPr><w:tcW w:w="3000" w:type="dxa"/></w:tcPr>%s</w:tc>')
row = ('<w:tr><w:trPr><w:gridAfter w:val="1"/><w:wAfter w:w="3000" w:type="dxa"/><w:trHeight w:val="200"/></w:trPr>'
       + cell % p("Item", 16) + cell % p("8 pt", 16) + '</w:tr>')
table = ('<w:tbl><w:tblPr><w:tblW w:w="9000" w:type="dxa"/><w:tblBorders>%s</w:tblBorders><w:tblLayout w:type="fixed"/></w:tblPr>'
         '<w:tblGrid><w:gridCol w:w="3000"/><w:gridCol w:w="3000"/><w:gridCol w:w="3000"/></w:tblGrid>%s</w:tbl>') % (borders, row * 20)
write(os.path.join(out, "grid-after.docx"), table + p("After the table.", 16), 16)

