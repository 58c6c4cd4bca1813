#include "word/legacy/helper/UnoSession.h"

#include <unistd.h>

#include <rtl/digest.h>
#include <com/sun/star/awt/AsyncCallback.hpp>
#include <com/sun/star/awt/XCallback.hpp>
#include <com/sun/star/awt/XRequestCallback.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/graphic/GraphicProvider.hpp>
#include <com/sun/star/graphic/XGraphic.hpp>
#include <com/sun/star/graphic/XGraphicProvider.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/task/PasswordRequest.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/text/XTextGraphicObjectsSupplier.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <osl/file.hxx>
#include <rtl/ref.hxx>
#include <rtl/ustring.hxx>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace plenwick::word::legacy::helper {

namespace css = com::sun::star;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OString;
using rtl::OUString;

namespace {

OUString FromUtf8(const std::string& s) {
  return OUString(s.data(), static_cast<sal_Int32>(s.size()), RTL_TEXTENCODING_UTF8);
}

std::string ToUtf8(const OUString& s) {
  const OString o = OUStringToOString(s, RTL_TEXTENCODING_UTF8);
  return std::string(o.getStr(), static_cast<std::size_t>(o.getLength()));
}

css::beans::PropertyValue Prop(const char* name, const css::uno::Any& value) {
  css::beans::PropertyValue p;
  p.Name = OUString::createFromAscii(name);
  p.Value = value;
  return p;
}

// Answers every question the office asks while loading with "abort", and remembers whether it
// asked for a password, so a protected file fails as protected instead of waiting for a person.
class AbortingInteraction : public cppu::WeakImplHelper1<css::task::XInteractionHandler> {
 public:
  bool askedForPassword = false;

  void SAL_CALL handle(const Reference<css::task::XInteractionRequest>& request) override {
    if (!request.is()) return;
    css::task::PasswordRequest password;
    if (request->getRequest() >>= password) askedForPassword = true;
    const auto continuations = request->getContinuations();
    for (sal_Int32 i = 0; i < continuations.getLength(); ++i) {
      Reference<css::task::XInteractionAbort> abort(continuations[i], UNO_QUERY);
      if (abort.is()) {
        abort->select();
        return;
      }
    }
  }
};

// Pictures a web page links to are kept as links by the office. Those that point into our private
// folder (the pictures of an unpacked web archive) would dangle once it is gone: embed them.
void EmbedPrivatePictures(const Reference<css::lang::XComponent>& doc,
                          const Reference<css::uno::XComponentContext>& context,
                          const OUString& folderUrl) {
  Reference<css::text::XTextGraphicObjectsSupplier> supplier(doc, UNO_QUERY);
  if (!supplier.is() || folderUrl.isEmpty()) return;
  Reference<css::container::XNameAccess> pictures = supplier->getGraphicObjects();
  Reference<css::graphic::XGraphicProvider> provider =
      css::graphic::GraphicProvider::create(context);
  const auto names = pictures->getElementNames();
  for (sal_Int32 i = 0; i < names.getLength(); ++i) {
    try {
      Reference<css::beans::XPropertySet> frame(pictures->getByName(names[i]), UNO_QUERY);
      if (!frame.is()) continue;
      Reference<css::graphic::XGraphic> graphic;
      frame->getPropertyValue("Graphic") >>= graphic;
      Reference<css::beans::XPropertySet> described(graphic, UNO_QUERY);
      OUString origin;
      if (described.is()) described->getPropertyValue("OriginURL") >>= origin;
      if (!origin.startsWith(folderUrl)) continue;
      css::uno::Sequence<css::beans::PropertyValue> source(1);
      source.getArray()[0] = Prop("URL", css::uno::Any(origin));
      Reference<css::graphic::XGraphic> loaded = provider->queryGraphic(source);
      if (loaded.is()) frame->setPropertyValue("Graphic", css::uno::Any(loaded));
    } catch (const css::uno::Exception&) {
      // A picture that cannot be embedded stays as the office made it.
    }
  }
}

void CloseDocument(const Reference<css::lang::XComponent>& doc) {
  if (!doc.is()) return;
  try {
    Reference<css::util::XCloseable> closeable(doc, UNO_QUERY);
    if (closeable.is()) {
      closeable->close(true);
    } else {
      doc->dispose();
    }
  } catch (const css::uno::Exception&) {
    // A document that refuses to close is dropped with the connection later; the result is
    // already written or already failed.
  }
}

}  // namespace

struct UnoSession::State {
  Reference<css::uno::XComponentContext> local;
  Reference<css::uno::XComponentContext> remote;
  std::string privateFolderUrl;  // file URL of the converter's work folder, with a final slash
  Reference<css::frame::XDesktop2> desktop;
};

UnoSession::UnoSession(const std::string& privateFolder) : state_(std::make_unique<State>()) {
  OUString url;
  if (!privateFolder.empty() && osl::FileBase::getFileURLFromSystemPath(
                                    FromUtf8(privateFolder), url) == osl::FileBase::E_None) {
    state_->privateFolderUrl = ToUtf8(url.endsWith("/") ? url : url + "/");
  }
}

UnoSession::~UnoSession() = default;

bool UnoSession::TryConnect(const std::string& pipeName, std::string& why) {
  try {
    if (!state_->local.is()) state_->local = cppu::defaultBootstrap_InitialComponentContext();
    Reference<css::bridge::XUnoUrlResolver> resolver =
        css::bridge::UnoUrlResolver::create(state_->local);
    Reference<css::uno::XInterface> remote = resolver->resolve(
        "uno:pipe,name=" + FromUtf8(pipeName) + ";urp;StarOffice.ComponentContext");
    Reference<css::uno::XComponentContext> context(remote, UNO_QUERY_THROW);
    state_->desktop = css::frame::Desktop::create(context);
    state_->remote = context;
    return true;
  } catch (const css::connection::NoConnectException&) {
    why = "the office is not accepting connections yet";
  } catch (const css::uno::Exception& e) {
    why = ToUtf8(e.Message);
  } catch (const std::exception& e) {
    why = e.what();
  }
  return false;
}

bool UnoSession::Healthy() {
  if (!state_->desktop.is()) return false;
  try {
    state_->desktop->getFrames();
    return true;
  } catch (const css::uno::Exception&) {
    return false;
  }
}

// One conversion, made on the office's main thread (see UnoSession::Convert).
ConversionOutcome ConvertOnOfficeThread(UnoSession& session, UnoSession::State& state,
                                        const ConversionRequest& request) {
  const std::string& sourcePath = request.sourcePath;
  const std::string& docxPath = request.docxPath;
  const std::string& filter = request.filter;
  const std::string& filterOptions = request.filterOptions;
  ConversionOutcome out;
  Reference<css::lang::XComponent> doc;
  rtl::Reference<AbortingInteraction> interaction = new AbortingInteraction;
  try {
    OUString sourceUrl;
    OUString docxUrl;
    if (osl::FileBase::getFileURLFromSystemPath(FromUtf8(sourcePath), sourceUrl) !=
            osl::FileBase::E_None ||
        osl::FileBase::getFileURLFromSystemPath(FromUtf8(docxPath), docxUrl) !=
            osl::FileBase::E_None) {
      out.kind = ConversionOutcome::Kind::kFailed;
      out.reason = "the converter cannot name the file";
      return out;
    }
    std::vector<css::beans::PropertyValue> load{
        Prop("Hidden", css::uno::Any(true)),
        Prop("ReadOnly", css::uno::Any(true)),
        Prop("MacroExecutionMode", css::uno::Any(css::document::MacroExecMode::NEVER_EXECUTE)),
        Prop("UpdateDocMode", css::uno::Any(css::document::UpdateDocMode::NO_UPDATE)),
        Prop("InteractionHandler",
             css::uno::Any(Reference<css::task::XInteractionHandler>(interaction.get()))),
    };
    if (!filterOptions.empty()) {
      load.push_back(Prop("FilterOptions", css::uno::Any(FromUtf8(filterOptions))));
    }
    if (!filter.empty()) load.push_back(Prop("FilterName", css::uno::Any(FromUtf8(filter))));
    // Relative links (a web page's pictures) resolve against where the file really is.
    OUString originalUrl;
    if (!request.originalPath.empty() &&
        osl::FileBase::getFileURLFromSystemPath(FromUtf8(request.originalPath), originalUrl) ==
            osl::FileBase::E_None) {
      load.push_back(Prop("DocumentBaseURL", css::uno::Any(originalUrl)));
    }
    Reference<css::frame::XComponentLoader> loader(state.desktop, UNO_QUERY_THROW);
    doc = loader->loadComponentFromURL(sourceUrl, "_blank", 0,
                                       css::uno::Sequence<css::beans::PropertyValue>(
                                           load.data(), static_cast<sal_Int32>(load.size())));
    if (!doc.is()) {
      out.kind = interaction->askedForPassword ? ConversionOutcome::Kind::kPasswordProtected
                                               : ConversionOutcome::Kind::kFailed;
      out.reason = interaction->askedForPassword ? "password-protected"
                                                 : "damaged: LibreOffice cannot read it";
      return out;
    }
    if (!request.pdf) EmbedPrivatePictures(doc, state.remote, FromUtf8(state.privateFolderUrl));
    Reference<css::frame::XStorable> storable(doc, UNO_QUERY_THROW);
    std::vector<css::beans::PropertyValue> store{
        Prop("FilterName", css::uno::Any(OUString("MS Word 2007 XML"))),
        Prop("Overwrite", css::uno::Any(true)),
    };
    if (request.pdf) {
      // The document's bookmarks become named destinations, from which the program builds the
      // outline: the office's own outline would list headings, not where each document starts.
      const css::beans::PropertyValue data[] = {
          Prop("ExportBookmarks", css::uno::Any(false)),
          Prop("ExportBookmarksToPDFDestination", css::uno::Any(true)),
      };
      store = {
          Prop("FilterName", css::uno::Any(OUString("writer_pdf_Export"))),
          Prop("Overwrite", css::uno::Any(true)),
          Prop("FilterData", css::uno::Any(css::uno::Sequence<css::beans::PropertyValue>(data, 2))),
      };
    }
    storable->storeToURL(docxUrl, css::uno::Sequence<css::beans::PropertyValue>(
                                      store.data(), static_cast<sal_Int32>(store.size())));
    CloseDocument(doc);
    return out;
  } catch (const css::uno::RuntimeException&) {
    // A dead connection shows as DisposedException or a plain RuntimeException; a filter that
    // gives up on a file throws RuntimeException too, and leaves the office answering.
    if (!session.Healthy()) {
      out.kind = ConversionOutcome::Kind::kOfficeLost;
      out.reason = "the converter crashed";
      return out;
    }
    out.kind = ConversionOutcome::Kind::kFailed;
    out.reason = "damaged: LibreOffice cannot read it";
  } catch (const css::uno::Exception& e) {
    out.kind = interaction->askedForPassword ? ConversionOutcome::Kind::kPasswordProtected
                                             : ConversionOutcome::Kind::kFailed;
    out.reason = interaction->askedForPassword ? "password-protected"
                                               : "damaged: LibreOffice cannot read it";
  }
  CloseDocument(doc);
  return out;
}

namespace {

// Runs a job on the office's main thread: the office calls notify() from its event loop, and our
// calls made inside notify() are carried out on that same thread, which waits for us meanwhile.
// So the office handles none of its own events between loading, storing and closing - just as
// when it converts from its command line - and never builds windows for the document's view.
class MainThreadJob : public cppu::WeakImplHelper1<css::awt::XCallback> {
 public:
  explicit MainThreadJob(std::function<ConversionOutcome()> work) : work_(std::move(work)) {}

  void SAL_CALL notify(const css::uno::Any&) override {
    ConversionOutcome result = work_();
    std::lock_guard lock(mutex_);
    outcome_ = std::move(result);
    done_ = true;
    cv_.notify_all();
  }

  // Waits for the job; gives up when the office went away in the meantime.
  bool Wait(const std::function<bool()>& officeAlive, ConversionOutcome& outcome) {
    std::unique_lock lock(mutex_);
    while (!done_) {
      if (cv_.wait_for(lock, std::chrono::milliseconds(200)) == std::cv_status::timeout && !done_ &&
          !officeAlive()) {
        return false;
      }
    }
    outcome = outcome_;
    return true;
  }

 private:
  std::function<ConversionOutcome()> work_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool done_ = false;
  ConversionOutcome outcome_;
};

}  // namespace

ConversionOutcome UnoSession::Convert(const ConversionRequest& request,
                                      const std::function<bool()>& officeAlive) {
  ConversionOutcome lost;
  lost.kind = ConversionOutcome::Kind::kOfficeLost;
  lost.reason = "the converter crashed";
  try {
    rtl::Reference<MainThreadJob> job =
        new MainThreadJob([&] { return ConvertOnOfficeThread(*this, *state_, request); });
    Reference<css::awt::XRequestCallback> async = css::awt::AsyncCallback::create(state_->remote);
    async->addCallback(Reference<css::awt::XCallback>(job.get()), css::uno::Any());
    ConversionOutcome out;
    if (!job->Wait(officeAlive, out)) return lost;
    return out;
  } catch (const css::uno::Exception&) {
    return lost;
  }
}

std::string OfficeInstancePipePath(const std::string& profileUrl) {
  // The office names it after an MD5 of the profile URL's UTF-16 code units, in hex digits
  // without leading zeros.
  const OUString url = FromUtf8(profileUrl);
  sal_uInt8 digest[RTL_DIGEST_LENGTH_MD5];
  rtl_digest_MD5(url.getStr(), static_cast<sal_uInt32>(url.getLength()) * sizeof(sal_Unicode),
                 digest, RTL_DIGEST_LENGTH_MD5);
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (sal_uInt8 b : digest) {
    if (b >= 16) hex.push_back(kHex[b >> 4]);
    hex.push_back(kHex[b & 15]);
  }
  return "/tmp/OSL_PIPE_" + std::to_string(getuid()) + "_SingleOfficeIPC_" + hex;
}

std::string UnoPipePath(const std::string& pipeName) {
  return "/tmp/OSL_PIPE_" + std::to_string(getuid()) + "_" + pipeName;
}

}  // namespace plenwick::word::legacy::helper
