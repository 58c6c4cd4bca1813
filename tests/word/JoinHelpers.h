// Drives the Word layer the way the join run does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DocxFixture.h"
#include "word/WordApi.h"

namespace plenwick::word::test {

class Joiner {
 public:
  Joiner() {
    auto app = CreateObject("Word.Application");
    EXPECT_TRUE(app.ok());
    app_ = *app;
    auto docs = app_->Documents();
    EXPECT_TRUE(docs.ok());
    auto doc = (*docs)->Add();
    EXPECT_TRUE(doc.ok());
    doc_ = *doc;
  }

  Status Insert(const std::string& path) {
    auto range = doc_->Range();
    if (!range) return range.error();
    Status collapsed = (*range)->Collapse(kCollapseEnd);
    if (!collapsed) return collapsed;
    return (*range)->InsertFile(path);
  }

  Status Save(const std::string& path) { return doc_->SaveAs(path); }

  void InsertAllOrFail(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) {
      Status s = Insert(p);
      ASSERT_TRUE(s.ok()) << p << ": " << s.error().message;
    }
  }

  Document& document() { return *doc_; }

  void Release() {
    doc_.reset();
    app_.reset();
  }

 private:
  std::shared_ptr<Application> app_;
  std::shared_ptr<Document> doc_;
};

// Tests that write fixture packages into a scratch folder and join them as the join run does.
class JoinTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const FixtureDoc& doc) {
    return WriteDocx(dir_ / name, doc).string();
  }
  ResultPackage Join(const std::vector<std::string>& inputs) {
    Joiner j;
    j.InsertAllOrFail(inputs);
    EXPECT_TRUE(j.Save((dir_ / "out.doc").string()).ok());
    return ResultPackage(dir_ / "out.doc");
  }
  TempFolder dir_;
};

}  // namespace plenwick::word::test
