#!/usr/bin/python3
"""Writes pairs of small documents that differ in one setting held for the whole document.

Each pair is one document with the setting and one without (theme colours with and without the
colour Word writes beside them, mirrored margins and gutters, hyphenation, note numbering), for
mixed sets joined both ways by neighbour-check.py:

    bench/join/setting-fixtures.py OUTDIR
    bench/join/neighbour-check.py OUTDIR/mirror.docx OUTDIR/plain-asym.docx ...
"""
import os, sys, zipfile
W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"'
LOREM = ("Interdisciplinary characterisation of extraordinarily comprehensive internationalisation "
         "responsibilities notwithstanding, the establishment considered counterrevolutionary "
         "uncharacteristically incomprehensible. ")
def theme(accent, dark):
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?><a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" name="T">'
            '<a:themeElements><a:clrScheme name="C"><a:dk1><a:srgbClr val="%s"/></a:dk1><a:lt1><a:srgbClr val="FFFFFF"/></a:lt1>'
            '<a:dk2><a:srgbClr val="44546A"/></a:dk2><a:lt2><a:srgbClr val="E7E6E6"/></a:lt2>'
            '<a:accent1><a:srgbClr val="%s"/></a:accent1><a:accent2><a:srgbClr val="ED7D31"/></a:accent2><a:accent3><a:srgbClr val="A5A5A5"/></a:accent3>'
            '<a:accent4><a:srgbClr val="FFC000"/></a:accent4><a:accent5><a:srgbClr val="5B9BD5"/></a:accent5><a:accent6><a:srgbClr val="70AD47"/></a:accent6>'
            '<a:hlink><a:srgbClr val="0563C1"/></a:hlink><a:folHlink><a:srgbClr val="954F72"/></a:folHlink></a:clrScheme>'
            '<a:fontScheme name="F"><a:majorFont><a:latin typeface="Cambria"/><a:ea typeface=""/><a:cs typeface=""/></a:majorFont>'
            '<a:minorFont><a:latin typeface="Calibri"/><a:ea typeface=""/><a:cs typeface=""/></a:minorFont></a:fontScheme>'
            '<a:fmtScheme name="M"><a:fillStyleLst><a:solidFill><a:schemeClr val="phClr"/></a:solidFill><a:solidFill><a:schemeClr val="phClr"/></a:solidFill><a:solidFill><a:schemeClr val="phClr"/></a:solidFill></a:fillStyleLst>'
            '<a:lnStyleLst><a:ln w="6350"><a:solidFill><a:schemeClr val="phClr"/></a:solidFill></a:ln><a:ln w="12700"><a:solidFill><a:schemeClr val="phClr"/></a:solidFill></a:ln><a:ln w="19050"><a:solidFill><a:schemeClr val="phClr"/></a:solidFill></a:ln></a:lnStyleLst>'
            '<a:effectStyleLst><a:effectStyle><a:effectLst/></a:effectStyle><a:effectStyle><a:effectLst/></a:effectStyle><a:effectStyle><a:effectLst/></a:effectStyle></a:effectStyleLst>'
            '<a:bgFillStyleLst><a:solidFill><a:schemeClr val="phClr"/></a:solidFill><a:solidFill><a:schemeClr val="phClr"/></a:solidFill><a:solidFill><a:schemeClr val="phClr"/></a:solidFill></a:bgFillStyleLst></a:fmtScheme>'
            '</a:themeElements></a:theme>') % (dark, accent)
def p(text, ppr="", rpr=""):
    return '<w:p>%s<w:r>%s<w:t xml:space="preserve">%s</w:t></w:r></w:p>' % (
        "<w:pPr>%s</w:pPr>" % ppr if ppr else "", "<w:rPr>%s</w:rPr>" % rpr if rpr else "", text)
def sect(left=1440, right=1440, gutter=0, extra=""):
    return ('<w:sectPr>%s<w:pgSz w:w="12240" w:h="15840"/><w:pgMar w:top="1440" w:right="%d" w:bottom="1440" '
            'w:left="%d" w:header="720" w:footer="720" w:gutter="%d"/></w:sectPr>') % (extra, right, left, gutter)
def write(path, body, settings="", accent="4472C4", dark="000000", footnotes=None):
    ct = ('<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
          '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/>'
          '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>'
          '<Override PartName="/word/settings.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"/>'
          '<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>'
          '<Override PartName="/word/theme/theme1.xml" ContentType="application/vnd.openxmlformats-officedocument.theme+xml"/>'
          + ('<Override PartName="/word/footnotes.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.footnotes+xml"/>' if footnotes else '')
          + '</Types>')
    rels = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>')
    drels = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
             '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings" Target="settings.xml"/>'
             '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme" Target="theme/theme1.xml"/>'
             '<Relationship Id="rId4" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>'
             + ('<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/footnotes" Target="footnotes.xml"/>' if footnotes else '')
             + '</Relationships>')
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", ct)
        z.writestr("_rels/.rels", rels)
        z.writestr("word/_rels/document.xml.rels", drels)
        z.writestr("word/document.xml", '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:document %s><w:body>%s</w:body></w:document>' % (W, body))
        z.writestr("word/settings.xml", '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:settings %s>%s</w:settings>' % (W, settings))
        z.writestr("word/theme/theme1.xml", theme(accent, dark))
        z.writestr("word/styles.xml", '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:styles %s><w:docDefaults><w:rPrDefault><w:rPr>'
                   '<w:rFonts w:asciiTheme="minorHAnsi" w:hAnsiTheme="minorHAnsi" w:eastAsiaTheme="minorHAnsi" w:cstheme="minorBidi"/><w:sz w:val="22"/><w:szCs w:val="22"/>'
                   '<w:lang w:val="en-US"/></w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after="160" w:line="259" w:lineRule="auto"/></w:pPr></w:pPrDefault></w:docDefaults>'
                   '<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/><w:qFormat/></w:style></w:styles>' % W)
        if footnotes:
            z.writestr("word/footnotes.xml", '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:footnotes %s>'
                       '<w:footnote w:type="separator" w:id="-1"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>'
                       '<w:footnote w:type="continuationSeparator" w:id="0"><w:p><w:r><w:continuationSeparator/></w:r></w:p></w:footnote>%s</w:footnotes>' % (W, footnotes))

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
# Theme colours: text, shading and borders in theme colours, the colour left for the theme to give.
themed = "".join(p("Heading in the theme's accent %d" % i, '<w:pBdr><w:bottom w:val="single" w:sz="24" w:space="1" w:themeColor="accent1" w:themeShade="BF"/></w:pBdr><w:shd w:val="clear" w:color="auto" w:themeFill="accent1" w:themeFillTint="66"/>', '<w:color w:themeColor="accent1"/><w:sz w:val="40"/>') + p(LOREM * 2, rpr='<w:color w:themeColor="text1" w:themeTint="BF"/>') for i in range(4))
write(os.path.join(out, "theme-red.docx"), themed + sect(), accent="C00000", dark="003300")
write(os.path.join(out, "theme-office.docx"), themed + sect())
# Mirror margins and gutter.
text = "".join(p(LOREM * 4) for _ in range(14))
write(os.path.join(out, "mirror.docx"), text + sect(2880, 720), '<w:mirrorMargins/>')
write(os.path.join(out, "plain-asym.docx"), text + sect(2880, 720))
write(os.path.join(out, "gutter-top.docx"), text + sect(1440, 1440, 1440), '<w:gutterAtTop/>')
write(os.path.join(out, "gutter-left.docx"), text + sect(1440, 1440, 1440))
# Hyphenation.
narrow = "".join(p(LOREM * 3) for _ in range(10)) + sect(4000, 4000)
write(os.path.join(out, "hyphenated.docx"), narrow, '<w:autoHyphenation/><w:hyphenationZone w:val="357"/>')
write(os.path.join(out, "unhyphenated.docx"), narrow)
# Footnotes: numbered in lower-case Roman in every section, restarting on each page.
fn = "".join('<w:footnote w:id="%d"><w:p><w:r><w:footnoteRef/></w:r><w:r><w:t xml:space="preserve"> Note %d.</w:t></w:r></w:p></w:footnote>' % (i, i) for i in range(1, 7))
def noted(i):
    return '<w:p><w:r><w:t xml:space="preserve">%s</w:t></w:r><w:r><w:footnoteReference w:id="%d"/></w:r></w:p>' % (LOREM, i)
two = noted(1) + noted(2) + noted(3) + '<w:p><w:pPr>%s</w:pPr></w:p>' % sect() + noted(4) + noted(5) + noted(6) + sect()
write(os.path.join(out, "notes-roman.docx"), two, '<w:footnotePr><w:numFmt w:val="lowerRoman"/><w:numRestart w:val="eachPage"/></w:footnotePr>', footnotes=fn)
write(os.path.join(out, "notes-plain.docx"), two, footnotes=fn)
# The same as Word writes it: each theme colour with the colour it stood for beside it.
def cached(accent, text, fill, border):
    return "".join(p("Heading in the theme's accent %d" % i, '<w:pBdr><w:bottom w:val="single" w:sz="24" w:space="1" w:color="%s" w:themeColor="accent1" w:themeShade="BF"/></w:pBdr><w:shd w:val="clear" w:color="auto" w:fill="%s" w:themeFill="accent1" w:themeFillTint="66"/>' % (border, fill), '<w:color w:val="%s" w:themeColor="accent1"/><w:sz w:val="40"/>' % accent) + p(LOREM * 2, rpr='<w:color w:val="%s" w:themeColor="text1" w:themeTint="BF"/>' % text) for i in range(4))
write(os.path.join(out, "cached-red.docx"), cached("C00000", "3F7F3F", "FF8080", "900000") + sect(), accent="C00000", dark="003300")
write(os.path.join(out, "cached-office.docx"), cached("4472C4", "404040", "B4C6E7", "2F5496") + sect())
