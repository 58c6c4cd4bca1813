#include "form/Form1Accessibility.h"

#include <array>

#include "form/WebAddresses.h"

namespace plenwick::form {
namespace {

constexpr AccessibleText Text(std::string_view control, std::string_view name,
                              std::string_view description) {
  return {control, name, description, false};
}

constexpr AccessibleText Decoration(std::string_view control, std::string_view name,
                                    std::string_view description) {
  return {control, name, description, true};
}

// Named for what they do rather than for their captions where the caption alone would be read
// out of context (a bare "Browse..."), otherwise by the caption itself.
constexpr std::array kAccessible = {
    Text("Form1", "Tarvik Plenwick",
         "Joins every Word document (.doc/.docx) in a folder and its subfolders into one new "
         "document."),
    Text("Image2", "Tarvik Plenwick", "Title banner: the maker's brand and the product name."),
    Text("Label4", "Select folder having Word documents (.doc/.docx) file(s)",
         "What the Source folder box below is for."),
    Decoration("ImgStatusArrow", "Arrow", "Points at the count of documents combined."),
    Text("LblProgessCurrent", "",
         "How many documents the last join has combined so far; it counts while a join runs."),
    Text("LblStatusHead", "Merging Documents...", "Heading of the join's progress."),
    Decoration("Shape1", "Links", "White panel behind the help and website links."),
    Decoration("Image3", "Help book", "Picture of a help book beside the links."),
    Decoration("Image4", "Bullet", "Marks the link to the product guide."),
    Text("LblProductHelp", "Read Step-by-Step Product Guide",
         "Link: opens the product's step-by-step guide in the web browser."),
    Text("LblWebsite", "Visit Product Website",
         "Link: opens the product's website in the web browser."),
    Decoration("Image6", "Bullet", "Marks the link to the product website."),
    Text("LblClose", "Close this Application", "Link: ends the program at once."),
    Decoration("Image7", "Bullet", "Marks the link that closes the program."),
    Decoration("ImgRMsg", "Arrow", "Points up at the Join Documents button."),
    Text("LblRMsg", "Click Here to Start Combining Documents",
         "Next step: press Join Documents and choose where to save the joined document."),
    Text("Label1", "Supports MS Word 2010, 2007, 2003, 2000 (.doc/.docx) documents",
         "Which documents are joined."),
    Decoration("Image1", "Word document", "Picture of a Word document."),
    Text("txtvCFPath", "Source folder",
         "The folder whose Word documents are joined, subfolders included. Choose it with "
         "Browse, or drop a folder on the window."),
    Text("CmdBrowse", "Browse...", "Choose the source folder having the Word documents."),
    Text("CmdSplit", "Join Documents",
         "Choose where to save, then join every document of the source folder into one."),
};

}  // namespace

AccessibleRole RoleOf(Kind kind) {
  switch (kind) {
    case Kind::Picture:
      return AccessibleRole::Picture;
    case Kind::Label:
      return AccessibleRole::Label;
    case Kind::LinkLabel:
      return AccessibleRole::Link;
    case Kind::TextBox:
      return AccessibleRole::TextBox;
    case Kind::CommandButton:
      return AccessibleRole::Button;
    case Kind::Shape:
      return AccessibleRole::Panel;
  }
  return AccessibleRole::Label;
}

std::span<const AccessibleText> Form1Accessible() {
  return kAccessible;
}

const AccessibleText* FindAccessible(std::string_view control) {
  for (const AccessibleText& text : kAccessible) {
    if (text.control == control) return &text;
  }
  return nullptr;
}

std::string_view AccessibleName(const AccessibleText& text, std::string_view caption) {
  return text.name.empty() ? caption : text.name;
}

std::string AccessibleDescription(const AccessibleText& text) {
  std::string description(text.description);
  if (const std::string target = LinkTarget(text.control); !target.empty()) {
    description += " Address: " + target;
  }
  return description;
}

std::string LinkTarget(std::string_view control) {
  if (control == "LblProductHelp") return SiteAddress(kProductHelpPath);
  if (control == "LblWebsite") return SiteAddress(kWebsitePath);
  return {};
}

}  // namespace plenwick::form
