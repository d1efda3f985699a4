#include "books/HomeBackup.h"

#include "books/Transfers.h"
#include "util/CommitJournal.h"
#include "util/FileBatch.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <dirent.h>
#include <sys/stat.h>

namespace mrt {
namespace {

bool isFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The regular files of a folder that are data: no temporary file, no subfolder. False when the
// folder cannot be listed.
bool dataFiles(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return false;
    while (dirent* e = ::readdir(dir)) {
        const std::string n = e->d_name;
        if (!IsTempFileName(n) && isFile(JoinPath(folder, n))) names.push_back(n);
    }
    ::closedir(dir);
    return true;
}

bool stageCopyOf(FileBatch& batch, const std::string& from, const std::string& to, std::string& error) {
    std::string bytes;
    if (!ReadWholeFile(from, bytes)) {
        error = from + ": 読み込めません。";
        return false;
    }
    return batch.Stage(to, bytes, error);
}

} // namespace

int BackUpBooks(const std::string& home, const std::vector<Book>& books, bool wholeHome, const std::string& target,
                int& copied, std::string& error) {
    copied = 0;
    if (!MakeFolders(target)) {
        error = target + ": フォルダを作成できません。";
        return -1;
    }
    for (const Book& b : books) {
        const std::string from = BookDataFolder(home, b.folder), to = JoinPath(target, b.folder);
        std::vector<std::string> names;
        if (!dataFiles(from, names)) {
            error = b.name + ": " + from + " を読めません。";
            return -1;
        }
        if (!MakeFolders(to) || RecoverCopyFolder(to, error) != 0) {
            error = to + ": " + error;
            return -1;
        }
        FileBatch batch;
        for (const std::string& n : names)
            if (!stageCopyOf(batch, JoinPath(from, n), ResolveCase(to, n), error)) return -1;
        if (!batch.Commit(error)) return -1;
        copied += static_cast<int>(names.size());
    }
    if (wholeHome) {
        FileBatch batch;
        for (const char* n : {kBooksFileName, kTransfersFileName}) {
            const std::string from = ResolveCase(home, n);
            if (!isFile(from)) continue;
            if (!stageCopyOf(batch, from, ResolveCase(target, n), error)) return -1;
            ++copied;
        }
        if (!batch.Commit(error)) return -1;
    }
    return 0;
}

int RestoreBooks(const std::string& home, const std::string& source, int& restored, std::string& error) {
    restored = 0;
    std::vector<Book> homeBooks, copyBooks;
    if (LoadBooks(home, homeBooks, error) != 0) return -1;
    const bool copyHasList = isFile(ResolveCase(source, kBooksFileName));
    if (copyHasList && LoadBooks(source, copyBooks, error) != 0) return -1;
    const std::vector<Book>& known = copyHasList ? copyBooks : homeBooks;
    FileBatch batch;
    batch.SpanFolders(home);
    DIR* dir = ::opendir(source.c_str());
    if (!dir) {
        error = source + ": フォルダを読めません。";
        return -1;
    }
    std::vector<std::string> folders;
    while (dirent* e = ::readdir(dir)) {
        const std::string n = e->d_name;
        struct stat st;
        if (n.size() > 4 && (n[0] == 'D' || n[0] == 'd') && ::stat(JoinPath(source, n).c_str(), &st) == 0 &&
            S_ISDIR(st.st_mode))
            folders.push_back(n);
    }
    ::closedir(dir);
    for (const std::string& f : folders) {
        const int i = FindBookFolder(known, f);
        if (i < 0) {
            error = f + ": この家計簿は一覧にありません。";
            return -1;
        }
        const std::string from = JoinPath(source, f), to = BookDataFolder(home, known[static_cast<size_t>(i)].folder);
        std::vector<std::string> copy, now;
        if (!dataFiles(from, copy) || !MakeFolders(JoinPath(to, "BU"))) {
            error = from + ": 読めません。";
            return -1;
        }
        dataFiles(to, now);
        for (const std::string& n : copy)
            if (!stageCopyOf(batch, JoinPath(from, n), ResolveCase(to, n), error)) return -1;
        // Files of the book that the copy does not hold (years added since) go.
        for (const std::string& n : now) {
            bool kept = false;
            for (const std::string& c : copy)
                kept = kept || ResolveCase(to, c) == JoinPath(to, n);
            if (!kept && !batch.StageRemoval(JoinPath(to, n), error)) return -1;
        }
        restored += static_cast<int>(copy.size());
    }
    if (copyHasList) {
        for (const char* n : {kBooksFileName, kTransfersFileName}) {
            const std::string from = ResolveCase(source, n), to = ResolveCase(home, n);
            if (isFile(from)) {
                if (!stageCopyOf(batch, from, to, error)) return -1;
                ++restored;
            } else if (isFile(to) && !batch.StageRemoval(to, error)) {
                return -1;
            }
        }
    }
    if (restored == 0) {
        error = source + ": 復帰するデータがありません。";
        return -1;
    }
    return batch.Commit(error) ? 0 : -1;
}

} // namespace mrt
