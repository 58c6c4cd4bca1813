#include "tests/support/RecordingWord.h"

#include <optional>
#include <stdexcept>
#include <utility>

namespace plenwick::test {

struct RecordingWord::State {
  Script script;
  std::vector<std::string> log;
  std::map<std::string, std::vector<std::string>> saved;
  int live = 0;
  int applications = 0;
  int ranges = 0;
  int collapses = 0;
  int saves = 0;

  void Call(const std::string& call) {
    log.push_back(call);
    if (script.onLog) script.onLog(call);
  }
  // Failures are logged as entries of their own, so onLog sees them in order too.
  void MarkFailed() { Call(log.back() + " -> failed"); }
};

namespace {

using State = RecordingWord::State;

Error Failure(const std::string& what) {
  return MakeError(word::wordc::kInvalidState, what);
}

// Counts itself among the live objects and logs its release.
class Tracked {
 public:
  Tracked(std::shared_ptr<State> state, std::string name)
      : state_(std::move(state)), name_(std::move(name)) {
    ++state_->live;
  }
  Tracked(const Tracked&) = delete;
  Tracked& operator=(const Tracked&) = delete;
  ~Tracked() {
    --state_->live;
    state_->Call("~" + name_);
  }

 protected:
  std::shared_ptr<State> state_;

 private:
  std::string name_;
};

struct Content {
  std::vector<std::string> files;
};

class FakeRange final : public word::Range, Tracked {
 public:
  FakeRange(std::shared_ptr<State> state, std::shared_ptr<Content> content)
      : Tracked(std::move(state), "Range"), content_(std::move(content)) {}

  Status Collapse(std::int16_t direction) override {
    state_->Call("Collapse " + std::to_string(direction));
    if (state_->script.failCollapse.count(++state_->collapses) != 0) {
      state_->MarkFailed();
      return Failure("collapse failed");
    }
    return Ok();
  }

  Status InsertFile(const std::string& path) override {
    state_->Call("InsertFile " + path);
    if (state_->script.throwInsert.count(path) != 0) {
      state_->MarkFailed();
      throw std::runtime_error("the engine threw");
    }
    const auto failure = state_->script.failInsert.find(path);
    if (failure != state_->script.failInsert.end()) {
      state_->MarkFailed();
      return failure->second;
    }
    content_->files.push_back(path);
    return Ok();
  }

 private:
  struct UnderWay {
    std::string path;
    std::vector<std::string> files;  // as the save began
    bool fails = false;
  };
  std::shared_ptr<Content> content_;
  std::optional<UnderWay> underWay_;
};

class FakeDocument final : public word::Document, Tracked {
 public:
  explicit FakeDocument(std::shared_ptr<State> state)
      : Tracked(std::move(state), "Document"), content_(std::make_shared<Content>()) {}

  Result<std::shared_ptr<word::Range>> Range() override {
    state_->Call("Range");
    if (state_->script.failRange.count(++state_->ranges) != 0) {
      state_->MarkFailed();
      return Failure("range failed");
    }
    return std::shared_ptr<word::Range>(std::make_shared<FakeRange>(state_, content_));
  }

  Status SaveAs(const std::string& path) override {
    state_->Call("SaveAs " + path);
    if (state_->script.failEverySave || state_->script.failSave.count(++state_->saves) != 0) {
      state_->MarkFailed();
      return MakeError(word::wordc::kWriteFailed, "disk full");
    }
    state_->saved[path] = content_->files;
    return Ok();
  }

  Status BeginSaveAs(const std::string& path) override {
    if (!state_->script.saveInBackground) return SaveAs(path);
    state_->Call("SaveAs " + path);
    const bool fails =
        state_->script.failEverySave || state_->script.failSave.count(++state_->saves) != 0;
    underWay_ = UnderWay{path, content_->files, fails};
    return Ok();
  }

  Status FinishSaving() override {
    if (!underWay_) return Ok();
    const UnderWay save = *std::exchange(underWay_, std::nullopt);
    state_->Call("FinishSaving " + save.path);
    if (save.fails) {
      state_->MarkFailed();
      return MakeError(word::wordc::kWriteFailed, "disk full");
    }
    state_->saved[save.path] = save.files;
    return Ok();
  }

  // Logged as SaveAs: the join decides which of the two it needs, the document's content is the
  // same.
  Status SaveAsNew(const std::string& path) override {
    if (state_->script.takenOnSave.count(path) != 0 && state_->saved.count(path) == 0) {
      state_->Call("SaveAs " + path);
      ++state_->saves;
      return MakeError(word::wordc::kNameTaken, "cannot save " + path + ": the name is taken");
    }
    return SaveAs(path);
  }

 private:
  struct UnderWay {
    std::string path;
    std::vector<std::string> files;  // as the save began
    bool fails = false;
  };
  std::shared_ptr<Content> content_;
  std::optional<UnderWay> underWay_;
};

class FakeDocuments final : public word::Documents, Tracked {
 public:
  explicit FakeDocuments(std::shared_ptr<State> state) : Tracked(std::move(state), "Documents") {}

  Result<std::shared_ptr<word::Document>> Add() override {
    state_->Call("Add");
    if (state_->script.failAdd) {
      state_->MarkFailed();
      return *state_->script.failAdd;
    }
    return std::shared_ptr<word::Document>(std::make_shared<FakeDocument>(state_));
  }
};

class FakeApplication final : public word::Application, Tracked {
 public:
  explicit FakeApplication(std::shared_ptr<State> state)
      : Tracked(std::move(state), "Application") {}

  Result<std::shared_ptr<word::Documents>> Documents() override {
    state_->Call("Documents");
    if (state_->script.failDocuments) {
      state_->MarkFailed();
      return *state_->script.failDocuments;
    }
    return std::shared_ptr<word::Documents>(std::make_shared<FakeDocuments>(state_));
  }
};

}  // namespace

RecordingWord::RecordingWord() : state_(std::make_shared<State>()) {}

RecordingWord::Script& RecordingWord::script() {
  return state_->script;
}

word::ApplicationFactory RecordingWord::Factory() const {
  return [state = state_](std::string_view progId) -> Result<std::shared_ptr<word::Application>> {
    state->Call("CreateObject " + std::string(progId));
    if (state->script.failCreate) {
      state->MarkFailed();
      return *state->script.failCreate;
    }
    if (progId != "Word.Application") {
      state->MarkFailed();
      return MakeError(errc::kUnavailable, "no such object: " + std::string(progId));
    }
    ++state->applications;
    return std::shared_ptr<word::Application>(std::make_shared<FakeApplication>(state));
  };
}

std::vector<std::string> RecordingWord::Log() const {
  return state_->log;
}
void RecordingWord::ClearLog() {
  state_->log.clear();
}
int RecordingWord::LiveObjects() const {
  return state_->live;
}
int RecordingWord::ApplicationsMade() const {
  return state_->applications;
}
const std::map<std::string, std::vector<std::string>>& RecordingWord::Saved() const {
  return state_->saved;
}

}  // namespace plenwick::test
