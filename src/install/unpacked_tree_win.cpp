#include "install/unpacked_tree_win.h"

#include "sys/file_rules.h"

namespace {

// The stream names of the open file or folder; false with the reason when
// they cannot be read. A file system without streams (FAT, Wine) has no
// hidden ones either.
bool ReadStreams(HANDLE handle, std::vector<std::wstring>& streams, std::string& why) {
    std::vector<unsigned char> buffer(64 * 1024);
    while (!::GetFileInformationByHandleEx(handle, FileStreamInfo, buffer.data(), static_cast<DWORD>(buffer.size()))) {
        const DWORD error = ::GetLastError();
        if (sys::IsNotSupportedError(error)) return true;
        if ((error != ERROR_MORE_DATA && error != ERROR_BAD_LENGTH) || buffer.size() >= 16 * 1024 * 1024) {
            why = "its streams cannot be listed (error " + std::to_string(error) + ")";
            return false;
        }
        buffer.resize(buffer.size() * 4);
    }
    for (std::size_t at = 0;;) {
        const auto* stream = reinterpret_cast<const FILE_STREAM_INFO*>(buffer.data() + at);
        streams.emplace_back(stream->StreamName, stream->StreamNameLength / sizeof(wchar_t));
        if (stream->NextEntryOffset == 0) return true;
        at += stream->NextEntryOffset;
    }
}

}  // namespace

void CollectTree(const sys::CHeldFolder& folder, const std::wstring& prefix, std::vector<TreeEntry>& entries) {
    std::vector<sys::DirEntry> listed;
    if (!folder.List(listed))
        entries.push_back({prefix.empty() ? L"." : prefix, false, {}, true, "it cannot be listed"});
    for (const sys::DirEntry& entry : listed) {
        TreeEntry found;
        found.path = prefix + entry.name;
        found.link = (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        found.folder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (found.link) {
            entries.push_back(std::move(found));
            continue;
        }
        if (found.folder) {
            const sys::CHeldFolder sub = folder.OpenFolder(entry.name);
            if (!sub.Valid()) found.unreadable = "it cannot be opened (error " + std::to_string(::GetLastError()) + ")";
            else ReadStreams(sub.Get(), found.streams, found.unreadable);
            entries.push_back(std::move(found));
            if (sub.Valid()) CollectTree(sub, entries.back().path + L"\\", entries);
            continue;
        }
        const sys::CFileHandle file =
            folder.OpenFile(entry.name, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        if (!file.Valid()) found.unreadable = "it cannot be opened (error " + std::to_string(::GetLastError()) + ")";
        else ReadStreams(file.Get(), found.streams, found.unreadable);
        entries.push_back(std::move(found));
    }
}
