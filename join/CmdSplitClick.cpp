#include "join/CmdSplitClick.h"

#include <memory>
#include <string>
#include <utility>

#include "join/CollectFiles.h"
#include "join/JoinLoop.h"
#include "join/JoinReport.h"
#include "join/OutputName.h"
#include "join/WordSession.h"
#include "shell/ShellServices.h"
#include "walk/FileSystem.h"

namespace plenwick::join {

std::string CombinedCaption(int count) {
  return "(" + std::to_string(count) + ")" + " Documents Combined";
}

Status CmdSplit_Click(const std::string& sourceFolder, JoinState& form, JoinHost& host,
                      const JoinServices& services) {
  std::string destFolder = host.PickFolder(std::string(kChooseDestinationTitle));
  if (destFolder.empty()) return Ok();
  if (destFolder.back() != walk::kPathSeparator) destFolder += walk::kPathSeparator;
  if (!host.Yield()) return Ok();

  host.SetVisible(Control::ImgRMsg, false);
  host.SetVisible(Control::LblRMsg, false);

  if (!form.walker) {
    if (services.walkerMessages == nullptr) {
      return MakeError(errc::kUnavailable, "no message box for the walker");
    }
    form.walker =
        std::make_shared<walk::pathLogger>(services.fileSystems, *services.walkerMessages);
  }
  // This run's own hold on the walker and on its list: a nested run started at a later yield
  // replaces the window's fileList, not the list this run goes through.
  const std::shared_ptr<walk::pathLogger> walker = form.walker;
  // The folder walked, kept for the closing message: a Browse at a later yield changes the
  // window's choice, not what this run went through.
  const std::string walked = sourceFolder;
  Result<CollectedFiles> collected = CollectFiles(*walker, walked);
  if (!collected) return collected.error();
  form.fileList = collected->files;
  const walk::SharedTexts fileList = std::move(collected->files);

  WordSession session;
  if (!session.Start(services.applications)) {
    host.ShowMessage(kWordMissingMessage, shell::kMsgInformation);
    return Ok();
  }

  const LocalDateTime now = services.clock ? services.clock() : CurrentLocalDateTime();
  OutputFile output = OutputFile::Timestamped(destFolder, FormatTimestamp(now), services.pathTaken);

  JoinHooks hooks;
  hooks.yield = [&host] { return host.Yield(); };
  hooks.joined = [&host](int count, const std::string&) {
    host.SetCaption(Control::LblProgessCurrent, CombinedCaption(count));
  };
  const JoinOutcome outcome = JoinDocuments(session, *fileList, output, hooks);
  session.Release();
  // The program is ending: the window may already be gone, so it is not touched again.
  if (outcome.stopped) return Ok();

  const EndMessage end =
      RunEndMessage(outcome, walked, collected->unreadFolders, collected->linkedFolders);
  if (end.outputPath.empty()) {
    host.ShowMessage(end.text, end.style);
  } else {
    host.ShowCompletion(end.text, end.style, end.outputPath);
  }
  host.Yield();
  return Ok();
}

Status CmdSplit_Click(JoinState& form, JoinHost& host, const JoinServices& services) {
  return CmdSplit_Click(form.sourceFolder, form, host, services);
}

}  // namespace plenwick::join
