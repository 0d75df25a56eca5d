#pragma once

// A real folder tree in a temporary folder, mapped onto drive letters, under a tree model.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "dirtree/DirTreeModel.h"
#include "platform/portable/PortablePlatform.h"
#include "platform/portable/PortableShellInfo.h"

namespace brevlo::dirtree::testing {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    for (;;) {
      path_ = fs::temp_directory_path() / ("brevlo-dirtree-" + std::to_string(random()));
      if (fs::create_directory(path_)) break;
    }
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const fs::path& Path() const { return path_; }
  void Folder(const std::string& relative) const { fs::create_directories(path_ / relative); }
  void File(const std::string& relative) const {
    fs::create_directories((path_ / relative).parent_path());
    std::ofstream(path_ / relative) << "x";
  }

 private:
  fs::path path_;
};

// The host's files, counting listings per folder and the entries read from them; with
// kernelStyle the listings also hold "." and ".." as the Windows search reports them.
class ObservedFileSystem : public platform::StdFileSystem {
 public:
  bool kernelStyle = false;
  std::map<std::string, int> listings;
  std::map<std::string, int> entriesRead;

  std::vector<platform::DirEntry> ListDirectory(const std::string& folder,
                                                const std::string& pattern) override {
    std::vector<platform::DirEntry> entries;
    VisitDirectory(folder, pattern, [&](const platform::DirEntry& e) {
      entries.push_back(e);
      return true;
    });
    return entries;
  }

  void VisitDirectory(const std::string& folder, const std::string& pattern,
                      const std::function<bool(const platform::DirEntry&)>& visit) override {
    ++listings[folder];
    int& read = entriesRead[folder];
    if (kernelStyle && DirectoryExists(folder)) {
      for (const char* dots : {".", ".."}) {
        ++read;
        if (!visit({dots, platform::AttrDirectory, 0})) return;
      }
    }
    StdFileSystem::VisitDirectory(folder, pattern, [&](const platform::DirEntry& e) {
      ++read;
      return visit(e);
    });
  }
};

// Drives A: (removable, empty, its folder missing), C: (fixed) and D: (CD) over real folders.
class DirTreeFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    disk.Folder("d");
    disk.Folder("c/Windows/System32/drivers");
    disk.Folder("c/Windows/Fonts");
    disk.File("c/Windows/win.ini");
    disk.Folder("c/Users/.config");
    disk.File("c/Empty/readme.txt");
    for (const char* name : {"c/beta", "c/Alpha", "c/gamma", "c/with.dot"}) disk.Folder(name);
    AddDrive('A', platform::DriveType::Removable, "a-missing", false);
    AddDrive('C', platform::DriveType::Fixed, "c", true);
    AddDrive('D', platform::DriveType::CdRom, "d", true);
  }

  void AddDrive(char letter, platform::DriveType type, const std::string& folder, bool medium) {
    const std::string host = (disk.Path() / folder).string();
    drives.drives.push_back({letter, type, host, medium});
    files.MapDrive(letter, host);
  }

  DirTreeModel& Build() {
    model = std::make_unique<DirTreeModel>(env);
    model->BuildDriveTree();
    return *model;
  }

  DirTreeNode* Drive(char letter) const {
    DirTreeNode* computer = model->ComputerNode();
    for (std::size_t i = 0; computer != nullptr && i < computer->Count(); ++i) {
      if (computer->Child(i)->Caption()[2] == letter) return computer->Child(i);
    }
    return nullptr;
  }

  static DirTreeNode* ChildNamed(const DirTreeNode* node, const std::string& caption) {
    for (std::size_t i = 0; node != nullptr && i < node->Count(); ++i) {
      if (node->Child(i)->Caption() == caption) return node->Child(i);
    }
    return nullptr;
  }

  static std::vector<std::string> Captions(const DirTreeNode* node) {
    std::vector<std::string> captions;
    for (std::size_t i = 0; node != nullptr && i < node->Count(); ++i) {
      captions.push_back(node->Child(i)->Caption());
    }
    return captions;
  }

  TempFolder disk;
  ObservedFileSystem files;
  platform::TableDrives drives;
  platform::PortableShellInfo shell{&drives};
  platform::PlainLocale locale;
  platform::ScriptedDialogs dialogs;
  DirTreeEnvironment env{files, drives, shell, locale, dialogs, shell};
  std::unique_ptr<DirTreeModel> model;
};

}  // namespace brevlo::dirtree::testing
