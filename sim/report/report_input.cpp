// Reading a snapshot: a tar.gz archive (or any archive libarchive reads) or a
// folder laid out like one, and the record archive nested inside it.
#include "report.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace qz_report {
namespace {

// No file of a snapshot comes near this; a bigger member is not read into memory.
constexpr uint64_t kMaxMember = 512ull << 20;

using ArchivePtr = std::unique_ptr<archive, int (*)(archive *)>;

ArchivePtr NewReader()
{
    ArchivePtr a(archive_read_new(), archive_read_free);
    if (a) {
        archive_read_support_filter_all(a.get());
        archive_read_support_format_tar(a.get());
        archive_read_support_format_gnutar(a.get());
    }
    return a;
}

std::string ArchiveError(archive *a)
{
    const char *e = archive_error_string(a);
    return e ? e : "unknown archive error";
}

// "./var/x" and "/var/x" are "var/x".
std::string Normalise(std::string name)
{
    while (name.rfind("./", 0) == 0) name.erase(0, 2);
    while (!name.empty() && name[0] == '/') name.erase(0, 1);
    return name;
}

bool ReadData(archive *a, uint64_t size, std::string &out)
{
    out.clear();
    out.reserve(size);
    char buf[65536];
    for (;;) {
        la_ssize_t n = archive_read_data(a, buf, sizeof buf);
        if (n < 0) return false;
        if (n == 0) return true;
        if (out.size() + static_cast<size_t>(n) > kMaxMember) return false;
        out.append(buf, static_cast<size_t>(n));
    }
}

// Reads every regular member; `fatal` tells whether reading stopped early.
bool ReadArchive(archive *a, const std::string &label, Members &members, std::vector<Problem> &problems)
{
    archive_entry *entry;
    for (;;) {
        int r = archive_read_next_header(a, &entry);
        if (r == ARCHIVE_EOF) return true;
        if (r < ARCHIVE_WARN) {
            problems.push_back({label, 0, "archive is corrupt or truncated: " + ArchiveError(a)});
            return false;
        }
        if (archive_entry_filetype(entry) != AE_IFREG) continue;
        const char *path = archive_entry_pathname(entry);
        std::string name = Normalise(path ? path : "");
        if (name.empty()) continue;
        if (archive_entry_size_is_set(entry) && static_cast<uint64_t>(archive_entry_size(entry)) > kMaxMember) {
            problems.push_back({name, 0, "file too large to read"});
            continue;
        }
        std::string data;
        if (!ReadData(a, static_cast<uint64_t>(archive_entry_size(entry)), data)) {
            problems.push_back({name, 0, "cannot read the file from the archive: " + ArchiveError(a)});
            return false;
        }
        members[name] = std::move(data);
    }
}

bool ReadFolder(const std::filesystem::path &root, Members &members, std::vector<Problem> &problems, std::string &error)
{
    std::error_code ec;
    std::filesystem::recursive_directory_iterator it(root, ec), end;
    if (ec) {
        error = root.string() + ": " + ec.message();
        return false;
    }
    for (; it != end; it.increment(ec)) {
        if (ec) {
            problems.push_back({root.string(), 0, "cannot list the folder: " + ec.message()});
            break;
        }
        if (!it->is_regular_file(ec)) continue;
        std::string name = std::filesystem::relative(it->path(), root, ec).generic_string();
        if (it->file_size(ec) > kMaxMember) {
            problems.push_back({name, 0, "file too large to read"});
            continue;
        }
        std::ifstream in(it->path(), std::ios::binary);
        std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            problems.push_back({name, 0, std::string("cannot read the file: ") + std::strerror(errno)});
            continue;
        }
        members[name] = std::move(data);
    }
    return true;
}

}  // namespace

bool ReadInput(const std::string &input, Members &members, std::vector<Problem> &problems, std::string &error)
{
    struct stat st;
    if (stat(input.c_str(), &st) != 0) {
        error = input + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) return ReadFolder(input, members, problems, error);

    ArchivePtr a = NewReader();
    if (!a) {
        error = "cannot start the archive reader";
        return false;
    }
    if (archive_read_open_filename(a.get(), input.c_str(), 65536) != ARCHIVE_OK) {
        error = input + ": " + ArchiveError(a.get());
        return false;
    }
    std::string label = std::filesystem::path(input).filename().string();
    bool complete = ReadArchive(a.get(), label, members, problems);
    if (!complete && members.empty()) {
        error = input + ": not a readable snapshot archive (" + problems.back().reason + ")";
        problems.pop_back();
        return false;
    }
    return true;
}

bool ReadNestedArchive(const std::string &bytes, std::string &recordFile, std::string &error)
{
    ArchivePtr a = NewReader();
    if (!a || archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
        error = a ? ArchiveError(a.get()) : "cannot start the archive reader";
        return false;
    }
    Members inner;
    std::vector<Problem> problems;
    ReadArchive(a.get(), "", inner, problems);
    for (auto &[name, data] : inner) {
        // tar stores the path without its leading '/'.
        if (name == "var/wifi_airInterface" || name == "wifi_airInterface") {
            recordFile = std::move(data);
            return true;
        }
    }
    error = problems.empty() ? "the archive holds no var/wifi_airInterface" : problems.front().reason;
    return false;
}

void Analyse(const Members &members, Report &report)
{
    // A snapshot unpacked into a folder of its own has every path one level down.
    std::string base;
    if (!members.empty() && !members.count("manifest.txt")) {
        std::string first = members.begin()->first;
        size_t slash = first.find('/');
        if (slash != std::string::npos && members.count(first.substr(0, slash + 1) + "manifest.txt"))
            base = first.substr(0, slash + 1);
    }
    for (const auto &[fullName, data] : members) {
        if (fullName.compare(0, base.size(), base) != 0) continue;
        std::string name = fullName.substr(base.size());
        unsigned number = 0;
        char tail = 0;
        if (name == "manifest.txt") {
            ParseManifest(data, report);
        } else if (name == "var/wifi_airInterface") {
            ParseRecordFile(name, data, false, report);
        } else if (name == "var/wifi_airInterface.tar.gz") {
            std::string inner, error;
            if (ReadNestedArchive(data, inner, error))
                ParseRecordFile(name + ":var/wifi_airInterface", inner, true, report);
            else
                report.problems.push_back({name, 0, "corrupt archive: " + error});
        } else if (name == "proc/wifilog/debug/2G") {
            ParseRoamLog(name, data, report);
        } else if (sscanf(name.c_str(), "var/zarvo/topodebug.%u.lo%c", &number, &tail) == 2 && tail == 'g' &&
                   name == "var/zarvo/topodebug." + std::to_string(number) + ".log") {
            ParseTopoFile(name, number, data, report);
        } else if (name.rfind("cmd/", 0) == 0) {
            ParseCommand(name, data, report);
        } else {
            continue;
        }
        ++report.knownFiles;
    }
    Finish(report);
}

}  // namespace qz_report
