#include "support/TestSupport.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <random>
#include <sstream>

namespace tf::test {

TTempDir::TTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tftest-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TTempDir::~TTempDir() {
  std::error_code ec;
  // Folders made unreadable by a test must become removable again.
  for (auto it = std::filesystem::recursive_directory_iterator(
           path_, std::filesystem::directory_options::skip_permission_denied, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

TNode* AddCatalog(TCatalogTree& tree, const std::string& name) {
  auto* rec = new TCatalogRec;
  auto node = MakeNode(name, rec);
  node->Bold = true;
  return tree.AppendChild(tree.Root(), std::move(node));
}

static TNode* Append(TNode* parent, std::unique_ptr<TNode> node) {
  if (TCatalogTree* tree = TreeOf(parent)) return tree->AppendChild(parent, std::move(node));
  node->Parent = parent;
  node->Row = parent->ChildCount();
  parent->Children.push_back(std::move(node));
  return parent->Children.back().get();
}

TNode* AddDisk(TNode* catalog, const std::string& name) {
  auto* disk = new TDiskRec;
  disk->FileSystem = "FAT";
  disk->BytesPerSector = 512;
  disk->SectorsPerCluster = 8;
  disk->TotalClusters = 1000;
  disk->FreeClusters = 100;
  disk->MediaType = 5;
  return Append(catalog, MakeNode(name, disk));
}

TNode* AddDiskLike(TNode* catalog, const std::string& name, const TDiskRec& image) {
  TNode* n = AddDisk(catalog, name);
  auto* d = static_cast<TDiskRec*>(n->Record);
  d->MediaType = image.MediaType;
  d->VolumeLabel = image.VolumeLabel;
  d->SerialNumber = image.SerialNumber;
  d->BytesPerSector = image.BytesPerSector;
  d->SectorsPerCluster = image.SectorsPerCluster;
  d->TotalClusters = image.TotalClusters;
  d->FreeClusters = image.FreeClusters;
  return n;
}

TNode* AddFolder(TNode* parent, const std::string& name, int64_t totalBytes) {
  auto* folder = new TFolderRec;
  folder->TotalSize = totalBytes * SizeScale;
  if (parent->Record && HasFlag(parent->Record, InArchive)) SetFlag(folder, InArchive, true);
  return Append(parent, MakeNode(name, folder));
}

TFileRec* AddFile(TNode* container, const std::string& name, uint32_t size,
                  const std::string& description) {
  TItemRec* rec = container->Record;
  TFileRec* f = TFileRec::Create(name, uint8_t(ikFile | (rec->KindFlags & InArchive)));
  f->Size = size;
  f->Node = container;
  f->Description.Assign(description);
  TFileRec* last = FirstFile(rec);
  while (last && last->Next) last = last->NextFile();
  LinkFile(rec, last, f);
  ++*ContainerInfo(rec).FileCount;
  if (!description.empty()) SetFlag(rec, HasFileDescriptions, true);
  return f;
}

std::vector<TFileRec*> Files(const TNode* container) {
  std::vector<TFileRec*> files;
  for (TFileRec* f = FirstFile(container->Record); f; f = f->NextFile()) files.push_back(f);
  return files;
}

std::vector<std::string> FileNames(const TNode* container) {
  std::vector<std::string> names;
  for (TFileRec* f : Files(container)) names.emplace_back(f->Name());
  return names;
}

static void CheckNode(const TNode* node, std::ostringstream& why) {
  for (int i = 0; i < node->ChildCount(); ++i) {
    const TNode* c = node->Child(i);
    if (c->Parent != node) why << c->Caption << ": wrong parent; ";
    if (c->Row != i) why << c->Caption << ": row " << c->Row << " at " << i << "; ";
    if (!c->Record) {
      why << c->Caption << ": no record; ";
      continue;
    }
    if (c->Record->Node != c) why << c->Caption << ": record does not point back; ";
    uint8_t kind = KindOf(c->Record);
    if (kind == ikDisk || kind == ikFolder) {
      for (TFileRec* f = FirstFile(c->Record); f; f = f->NextFile())
        if (f->Node != c) why << c->Caption << "/" << f->Name() << ": wrong node; ";
    }
    CheckNode(c, why);
  }
}

std::string CheckTree(TCatalogTree& tree) {
  std::ostringstream why;
  CheckNode(tree.Root(), why);
  for (int k = 0; k < ListKindCount; ++k) {
    TRecordList* list = tree.List(TListKind(k));
    if (!list) continue;
    for (int i = 0; i < list->Count(); ++i) {
      TItemRec* rec = list->At(i);
      if (rec && ListIndexOf(rec, TListKind(k)) != StoredListIndex(i))
        why << "list " << k << " entry " << i << ": stored index "
            << ListIndexOf(rec, TListKind(k)) << "; ";
    }
  }
  return why.str();
}

static std::string DescribedText(const TText& t) { return t ? "[" + t.Str() + "]" : "-"; }

std::string DescribeDisk(const TDiskRec& d) {
  std::ostringstream out;
  out << std::setprecision(15) << "k" << int(d.KindFlags & ~FileBlock) << " m" << int(d.MediaType)
      << " s" << int(d.ScanFlags) << " " << d.BytesPerSector << "/" << d.SectorsPerCluster << "/"
      << d.MaxComponentLength << " files" << d.TotalFiles << " arc" << d.ArchiveFiles
      << " folders" << d.TotalFolders << " clusters" << d.TotalClusters << "/" << d.FreeClusters
      << " t" << d.LastUpdate << " serial" << d.SerialNumber << " u" << int(d.UserByte) << " ["
      << d.VolumeLabel << "] [" << d.FileSystem << "] " << DescribedText(d.Description);
  return out.str();
}

static void Describe(TNode* node, int depth, std::ostringstream& out) {
  TItemRec* rec = node->Record;
  std::string indent(std::size_t(depth) * 2, ' ');
  auto desc = DescribedText;
  switch (KindOf(rec)) {
    case ikCatalog: {
      auto* c = static_cast<TCatalogRec*>(rec);
      out << indent << "catalog " << node->Caption << " " << desc(c->Description);
      for (auto& cat : c->Categories) out << " cat:" << cat.Name << "=" << cat.Id;
      for (auto& f : c->FlagNames) out << " flag:" << desc(f);
      out << "\n";
      break;
    }
    case ikDisk:
      out << indent << "disk " << node->Caption << " " << DescribeDisk(*static_cast<TDiskRec*>(rec))
          << "\n";
      break;
    case ikFolder: {
      auto* f = static_cast<TFolderRec*>(rec);
      out << indent << "folder " << node->Caption << " k" << int(f->KindFlags & ~FileBlock) << " "
          << f->TotalSize << " a" << int(f->Attributes) << " " << f->CreatedTime << "/"
          << f->ModifiedTime << "/" << f->AccessedTime << " r" << int(f->Reserved) << " c"
          << int(f->CategoryFlags) << " n" << f->FileCount << " " << desc(f->Description) << "\n";
      break;
    }
  }
  uint8_t kind = KindOf(rec);
  if (kind == ikFolder) LoadSubfolders(node);
  if (kind == ikDisk || kind == ikFolder) {
    LoadFiles(node);
    for (TFileRec* f = FirstFile(rec); f; f = f->NextFile())
      out << indent << "  file " << f->Name() << " k" << int(f->KindFlags) << " a"
          << int(f->Attributes) << " " << f->CreatedTime << "/" << f->ModifiedTime << "/"
          << f->AccessedTime << " " << f->Size << " c" << int(f->CategoryFlags) << " "
          << desc(f->Description) << "\n";
  }
  for (int i = 0; i < node->ChildCount(); ++i) Describe(node->Child(i), depth + 1, out);
}

std::string DescribeTree(TNode* node) {
  std::ostringstream out;
  Describe(node, 0, out);
  return out.str();
}

std::string Shown(const TPromptRecord& r) {
  if (r.Kind != TPromptRecord::Message)
    return (r.Kind == TPromptRecord::Open ? "open: " : "save: ") + r.Title + " | " + r.Text;
  static const char* const buttons[] = {"Ok", "OkCancel", "YesNo", "YesNoCancel", "RetryCancel"};
  static const char* const icons[] = {"None", "Information", "Question", "Warning", "Error"};
  return r.Title + " | " + r.Text + " | " + buttons[int(r.Buttons)] + " | " + icons[int(r.Icon)];
}

std::vector<std::string> Shown(const TScriptedPrompts& prompts) {
  std::vector<std::string> out;
  for (const TPromptRecord& r : prompts.Log) out.push_back(Shown(r));
  return out;
}

TCliProcess::TCliProcess(const std::vector<std::string>& args, const TCliSetup& setup)
    : out_(setup.Stdout.empty() ? dir_.File("out") : setup.Stdout),
      err_(dir_.File("err")),
      captured_(setup.Stdout.empty()) {
  pid_ = ::fork();
  if (pid_ == 0) {
    std::vector<char*> argv;
    std::string cli = TF_CLI_PATH;
    argv.push_back(cli.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    FILE* o = std::freopen(out_.c_str(), "w", stdout);
    FILE* e = std::freopen(err_.c_str(), "w", stderr);
    (void)o;
    (void)e;
    for (const auto& [name, value] : setup.Env) ::setenv(name.c_str(), value.c_str(), 1);
    if (setup.BeforeExec && !setup.BeforeExec()) ::_exit(CliSetupFailed);
    ::execv(cli.c_str(), argv.data());
    ::_exit(127);
  }
}

TCliProcess::~TCliProcess() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

std::string TCliProcess::ErrSoFar() const { return ReadBytes(err_); }

bool TCliProcess::WaitForErr(const std::string& text) const {
  for (int i = 0; i < 6000; ++i) {
    if (ErrSoFar().find(text) != std::string::npos) return true;
    ::usleep(10000);
  }
  return false;
}

TCliResult TCliProcess::Wait() {
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  TCliResult r;
  r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  if (captured_) r.Out = ReadBytes(out_);
  r.Err = ReadBytes(err_);
  return r;
}

TCliResult RunCli(const std::vector<std::string>& args) { return RunCli(args, TCliSetup{}); }

TCliResult RunCli(const std::vector<std::string>& args, const TCliSetup& setup) {
  TCliProcess run(args, setup);
  return run.Wait();
}

}  // namespace tf::test
