// Fonts and theme: the first document's theme becomes the result's. A later document whose
// theme fonts or colours differ gets them written out in its own formatting, so its text keeps
// its look; fonts it names join the result's font table.
#include "word/engine/Append.h"
#include "word/engine/ShapeStyle.h"
#include "word/package/PartNames.h"

namespace plenwick::word::engine {
namespace {

std::string Typeface(pugi::xml_node font, const char* script) {
  return font.child(script).attribute("typeface").value();
}

// The theme's script font a language selects (themeFontLang): a Korean document's East Asian
// text takes the theme's Hangul face, not the generic one.
std::string_view ScriptOfLanguage(std::string_view lang) {
  std::string_view primary = lang.substr(0, lang.find('-'));
  if (primary == "ja") return "Jpan";
  if (primary == "ko") return "Hang";
  if (primary == "zh") {
    for (std::string_view traditional : {"zh-TW", "zh-HK", "zh-MO"}) {
      if (lang == traditional) return "Hant";
    }
    return "Hans";
  }
  if (primary == "ar" || primary == "fa" || primary == "ur") return "Arab";
  if (primary == "he" || primary == "yi") return "Hebr";
  if (primary == "th") return "Thai";
  if (primary == "hi" || primary == "mr" || primary == "ne") return "Deva";
  return {};
}

std::string ScriptTypeface(pugi::xml_node font, const char* generic, std::string_view lang) {
  std::string_view script = ScriptOfLanguage(lang);
  if (!script.empty()) {
    for (pugi::xml_node f : font.children("a:font")) {
      std::string_view face = f.attribute("typeface").value();
      if (script == f.attribute("script").value() && !face.empty()) return std::string(face);
    }
  }
  return Typeface(font, generic);
}

}  // namespace

ThemeFontLanguages ThemeFontLanguagesOf(pugi::xml_node settingsRoot) {
  pugi::xml_node lang = settingsRoot.child("w:themeFontLang");
  return {lang.attribute("w:eastAsia").value(), lang.attribute("w:bidi").value()};
}

ThemeLook LookOfTheme(const pugi::xml_document& theme, const ThemeFontLanguages& languages) {
  ThemeLook look;
  pugi::xml_node elements = theme.document_element().child("a:themeElements");
  pugi::xml_node scheme = elements.child("a:fontScheme");
  pugi::xml_node major = scheme.child("a:majorFont");
  pugi::xml_node minor = scheme.child("a:minorFont");
  look.majorLatin = Typeface(major, "a:latin");
  look.majorEa = ScriptTypeface(major, "a:ea", languages.eastAsia);
  look.majorCs = ScriptTypeface(major, "a:cs", languages.bidi);
  look.minorLatin = Typeface(minor, "a:latin");
  look.minorEa = ScriptTypeface(minor, "a:ea", languages.eastAsia);
  look.minorCs = ScriptTypeface(minor, "a:cs", languages.bidi);
  for (pugi::xml_node c : elements.child("a:clrScheme").children()) {
    pugi::xml_node value = c.first_child();
    look.colours += c.name();
    look.colours += '=';
    look.colours += value.attribute("lastClr") ? value.attribute("lastClr").value()
                                               : value.attribute("val").value();
    look.colours += ';';
  }
  if (pugi::xml_node formats = elements.child("a:fmtScheme")) look.formats = NodeToString(formats);
  return look;
}

void ThemeMapper::Load() {
  ThemeFontLanguages languages;
  pugi::xml_node settingsRoot;
  const Relationship* settings = ctx_.src.RelOfKind(ctx_.src.mainPart(), "settings");
  if (settings != nullptr && !settings->part.empty() && ctx_.src.Has(settings->part)) {
    settingsRoot = ctx_.src.Xml(settings->part).doc->document_element();
    languages = ThemeFontLanguagesOf(settingsRoot);
  }
  const Relationship* rel = ctx_.src.RelOfKind(ctx_.src.mainPart(), "theme");
  bool has = rel != nullptr && !rel->part.empty() && ctx_.src.Has(rel->part);
  part_ = has ? rel->part : std::string();
  if (has) {
    // Compared as stored: the same compressed bytes are the same theme, checked when first read.
    const package::ZipReader::Stored stored = ctx_.src.Stored(rel->part);
    Composer::ThemeMemo& memo = ctx_.result.lastTheme;
    if (memo.valid && memo.method == stored.method && memo.bytes == stored.data &&
        memo.eastAsia == languages.eastAsia && memo.bidi == languages.bidi) {
      look_ = memo.look;
    } else {
      XmlPart& part = ctx_.src.Xml(rel->part);
      look_ = LookOfTheme(*part.doc, languages);
      memo = Composer::ThemeMemo{std::string(stored.data), stored.method, languages.eastAsia,
                                 languages.bidi,           look_,         true};
    }
  } else {
    pugi::xml_document blankTheme;
    blankTheme.load_string(blank::Theme().c_str());
    look_ = LookOfTheme(blankTheme, languages);
  }
  ThemeLook& resultLook = ctx_.result.index.theme;
  if (ctx_.first) {
    if (has) {
      const std::string name = "/word/theme/theme1.xml";
      if (ctx_.src.strict()) {
        ctx_.out.theme = std::make_shared<package::RawEntry>(package::MakeEntry(
            package::ZipNameFromPart(name), ReplaceStrictUris(ctx_.src.Read(rel->part))));
      } else {
        (void)ctx_.src.Read(rel->part);
        package::RawEntry raw = ctx_.src.Raw(rel->part);
        raw.name = package::ZipNameFromPart(name);
        ctx_.out.theme = std::make_shared<package::RawEntry>(std::move(raw));
      }
      ctx_.parts.CopyRelsKeepingIds(rel->part, name);
    }
    ThemeLook saved = resultLook;
    ctx_.journal.Record([&resultLook, saved] { resultLook = saved; });
    resultLook = look_;
    differs_ = formatsDiffer_ = false;
  } else {
    differs_ = !look_.TextLooksAlike(resultLook);
    formatsDiffer_ = look_.formats != resultLook.formats;
    if (differs_) colours_.Load(look_.colours, settingsRoot.child("w:clrSchemeMapping"));
  }
}

void ThemeMapper::ConvertFonts(pugi::xml_node rFonts) const {
  static constexpr std::pair<const char*, const char*> kAttrs[] = {
      {"w:asciiTheme", "w:ascii"},
      {"w:hAnsiTheme", "w:hAnsi"},
      {"w:eastAsiaTheme", "w:eastAsia"},
      {"w:cstheme", "w:cs"}};
  for (const auto& [themeAttr, plainAttr] : kAttrs) {
    pugi::xml_attribute a = rFonts.attribute(themeAttr);
    if (!a) continue;
    std::string_view v = a.value();
    const std::string* font = nullptr;
    if (v == "majorHAnsi" || v == "majorAscii") font = &look_.majorLatin;
    if (v == "minorHAnsi" || v == "minorAscii") font = &look_.minorLatin;
    if (v == "majorEastAsia") font = &look_.majorEa;
    if (v == "minorEastAsia") font = &look_.minorEa;
    if (v == "majorBidi") font = &look_.majorCs;
    if (v == "minorBidi") font = &look_.minorCs;
    rFonts.remove_attribute(a);
    if (font == nullptr || font->empty()) continue;
    pugi::xml_attribute plain = rFonts.attribute(plainAttr);
    if (!plain) plain = rFonts.append_attribute(plainAttr);
    plain.set_value(font->c_str());
  }
}

void ThemeMapper::ConvertDrawing(pugi::xml_node root) const {
  // "+mn-lt" is the theme's minor Latin face, "+mj-ea" its major East Asian one, and so on.
  auto themeFont = [this](std::string_view ref) -> const std::string* {
    if (ref.size() != 6 || ref[0] != '+' || ref[3] != '-') return nullptr;
    const bool major = ref.substr(1, 2) == "mj";
    if (!major && ref.substr(1, 2) != "mn") return nullptr;
    std::string_view script = ref.substr(4);
    if (script == "lt") return major ? &look_.majorLatin : &look_.minorLatin;
    if (script == "ea") return major ? &look_.majorEa : &look_.minorEa;
    if (script == "cs") return major ? &look_.majorCs : &look_.minorCs;
    return nullptr;
  };
  WalkElements(root, [&](pugi::xml_node node) {
    std::string_view name = node.name();
    if (name == "dsp:sp") StateShapeStyle(node);  // a diagram's drawn shapes
    if (name == "a:schemeClr") {
      colours_.StateOwn(node);
    } else if (name == "a:latin" || name == "a:ea" || name == "a:cs") {
      pugi::xml_attribute typeface = node.attribute("typeface");
      const std::string* font = themeFont(typeface.value());
      if (font != nullptr && !font->empty()) typeface.set_value(font->c_str());
    }
    return true;
  });
  if (std::string_view(root.name()) == "c:chartSpace" && !root.child("c:txPr")) {
    // A chart that sets no face for its text is set in its theme's minor face: Word takes it
    // from the chart's theme override, other readers from the result's theme, so it is stated.
    pugi::xml_node before;
    for (pugi::xml_node c = root.first_child(); c && !before; c = c.next_sibling()) {
      std::string_view name = c.name();
      if (name == "c:externalData" || name == "c:printSettings" || name == "c:userShapes" ||
          name == "c:extLst") {
        before = c;
      }
    }
    pugi::xml_node txPr =
        before ? root.insert_child_before("c:txPr", before) : root.append_child("c:txPr");
    txPr.append_child("a:bodyPr");
    txPr.append_child("a:lstStyle");
    pugi::xml_node defRPr = txPr.append_child("a:p").append_child("a:pPr").append_child("a:defRPr");
    const std::pair<const char*, const std::string*> faces[] = {
        {"a:latin", &look_.minorLatin}, {"a:ea", &look_.minorEa}, {"a:cs", &look_.minorCs}};
    for (const auto& [script, face] : faces) {
      if (!face->empty()) defRPr.append_child(script).append_attribute("typeface") = face->c_str();
    }
  }
}

pugi::xml_node ThemeMapper::Formats() const {
  if (!part_.empty()) {
    return ctx_.src.Xml(part_)
        .doc->document_element()
        .child("a:themeElements")
        .child("a:fmtScheme");
  }
  if (!blankTheme_) {
    blankTheme_ = std::make_unique<pugi::xml_document>();
    blankTheme_->load_string(blank::Theme().c_str());
  }
  return blankTheme_->document_element().child("a:themeElements").child("a:fmtScheme");
}

void ThemeMapper::StateShapeStyle(pugi::xml_node shape) const {
  if (formatsDiffer_) engine::StateShapeStyle(shape, Formats());
}

std::string ThemeMapper::OverrideXml() {
  XmlPart blankTheme;
  const XmlPart* theme = nullptr;
  if (!part_.empty()) {
    theme = &ctx_.src.Xml(part_);
  } else {
    auto parsed = ParseXmlPart(blank::Theme(), "/word/theme/theme1.xml");
    if (parsed) blankTheme = std::move(*parsed);
    theme = &blankTheme;
  }
  pugi::xml_document out;
  pugi::xml_node root = out.append_child("a:themeOverride");
  if (theme->doc) {
    pugi::xml_node elements = theme->doc->document_element().child("a:themeElements");
    for (const char* scheme : {"a:clrScheme", "a:fontScheme", "a:fmtScheme"}) {
      if (pugi::xml_node found = elements.child(scheme)) root.append_copy(found);
    }
    ResetRootNamespaces(root, *theme);
  }
  return DocumentToString(out);
}

void ThemeMapper::MergeFonts() {
  const Relationship* rel = ctx_.src.RelOfKind(ctx_.src.mainPart(), "fontTable");
  if (rel == nullptr || rel->part.empty() || !ctx_.src.Has(rel->part)) return;
  XmlPart& part = ctx_.src.Xml(rel->part);
  RelMapper rels(ctx_, rel->part, "/word/fontTable.xml", &ctx_.out.fontsRels);
  StoryOptions options;
  options.rels = &rels;
  for (pugi::xml_node font : part.doc->document_element().children("w:font")) {
    std::string name = font.attribute("w:name").value();
    if (name.empty() || ctx_.result.index.fonts.count(name) != 0) continue;
    for (pugi::xml_node c : font.children()) {
      // An embedded face is kept with its key; the result then has to ask for it too.
      if (std::string_view(c.name()).starts_with("w:embed")) ctx_.out.embedTrueTypeFonts = true;
    }
    JournalInsert(ctx_, ctx_.result.index.fonts, name);
    RewriteStory(ctx_, font, options);
    AddPieceNamespaces(font, part);
    ctx_.out.fonts += NodeToString(font);
  }
}

}  // namespace plenwick::word::engine
