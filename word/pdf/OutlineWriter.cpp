// The outline writer, loaded only when a PDF is made: qpdf and the libraries it brings (gnutls,
// libcrypto and more) cost every start of the program about 5 ms, a listing of 20,000 files a
// tenth of its time.
#include "word/pdf/OutlineModule.h"

#include <exception>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace plenwick::word::pdf {
namespace {

// The explicit destination (an array beginning with a page) a named destination stands for.
QPDFObjectHandle Explicit(QPDFObjectHandle destination) {
  if (destination.isDictionary()) destination = destination.getKey("/D");
  return destination.isArray() && destination.getArrayNItems() > 0 ? destination
                                                                   : QPDFObjectHandle::newNull();
}

OutlineResult WriteOutline(const std::string& in, const std::vector<OutlineEntry>& entries,
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
    return OutlineResult{std::move(pages), {}};
  } catch (const std::exception& e) {
    return OutlineResult{{}, e.what()};
  }
}

}  // namespace

}  // namespace plenwick::word::pdf

extern "C" __attribute__((visibility("default"))) plenwick::word::pdf::OutlineWriterFn
plenwick_pdf_outline_writer() {
  return &plenwick::word::pdf::WriteOutline;
}
