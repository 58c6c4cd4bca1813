#include "word/pdf/PdfOutline.h"

#include <cctype>
#include <exception>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "word/WordApi.h"

namespace plenwick::word::pdf {
namespace {

// The explicit destination (an array beginning with a page) a named destination stands for.
QPDFObjectHandle Explicit(QPDFObjectHandle destination) {
  if (destination.isDictionary()) destination = destination.getKey("/D");
  return destination.isArray() && destination.getArrayNItems() > 0 ? destination
                                                                   : QPDFObjectHandle::newNull();
}

}  // namespace

std::string OfficeDestinationName(const std::string& bookmark) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string name;
  for (char ch : bookmark) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80 && std::isalnum(c) != 0) {
      name.push_back(ch);
    } else {
      // Beyond ASCII it escapes the URL escape of the byte ("%C3" becomes "25C3").
      if (c >= 0x80) name += "25";
      name.push_back(kHex[c >> 4]);
      name.push_back(kHex[c & 15]);
    }
  }
  return name;
}

Result<std::map<std::string, int>> WriteWithOutline(const std::string& in,
                                                    const std::vector<OutlineEntry>& entries,
                                                    const std::string& out) {
  try {
    QPDF document;
    document.setSuppressWarnings(true);
    document.processFile(in.c_str());
    QPDFObjectHandle root = document.getRoot();

    std::map<QPDFObjGen, int> pageNumbers;
    int number = 0;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(document).getAllPages()) {
      pageNumbers[page.getObjectHandle().getObjGen()] = ++number;
    }
    std::map<std::string, QPDFObjectHandle> destinations;
    std::map<std::string, int> pages;
    QPDFObjectHandle dests = root.getKey("/Dests");
    if (dests.isDictionary()) {
      for (const std::string& key : dests.getKeys()) {
        QPDFObjectHandle target = Explicit(dests.getKey(key));
        if (target.isNull()) continue;
        const std::string name = key.substr(1);  // without the name's slash
        destinations[name] = target;
        auto page = pageNumbers.find(target.getArrayItem(0).getObjGen());
        if (page != pageNumbers.end()) pages[name] = page->second;
      }
    }

    QPDFObjectHandle outlines = document.makeIndirectObject(QPDFObjectHandle::newDictionary());
    outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    QPDFObjectHandle previous;
    int count = 0;
    for (const OutlineEntry& entry : entries) {
      auto found = destinations.find(entry.destination);
      if (found == destinations.end()) continue;
      QPDFObjectHandle item = document.makeIndirectObject(QPDFObjectHandle::newDictionary());
      item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(entry.title));
      item.replaceKey("/Parent", outlines);
      item.replaceKey("/Dest", found->second.shallowCopy());
      if (previous.isInitialized()) {
        previous.replaceKey("/Next", item);
        item.replaceKey("/Prev", previous);
      } else {
        outlines.replaceKey("/First", item);
      }
      previous = item;
      ++count;
    }
    if (count > 0) {
      outlines.replaceKey("/Last", previous);
      outlines.replaceKey("/Count", QPDFObjectHandle::newInteger(count));
      root.replaceKey("/Outlines", outlines);
      root.replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
    } else {
      root.removeKey("/Outlines");
    }
    QPDFWriter writer(document, out.c_str());
    writer.write();
    return pages;
  } catch (const std::exception& e) {
    return MakeError(wordc::kWriteFailed,
                     std::string("the PDF's outline cannot be made: ") + e.what());
  }
}

}  // namespace plenwick::word::pdf
