// Writes tar archives member by member, any member a test needs: files,
// folders, links, devices, absolute or climbing names.
#pragma once

#include <archive.h>
#include <archive_entry.h>

#include <string>
#include <sys/stat.h>
#include <vector>

namespace quibo::test {

struct TarMember {
    TarMember(std::string n, std::string d = "", mode_t t = AE_IFREG, std::string l = "", std::string h = "")
        : name(std::move(n)), data(std::move(d)), type(t), link(std::move(l)), hardlink(std::move(h))
    {
    }
    std::string name;
    std::string data;       // for files
    mode_t type;            // AE_IFREG, AE_IFDIR, AE_IFLNK, AE_IFCHR, AE_IFIFO, ...
    std::string link;       // symbolic-link target
    std::string hardlink;   // hard-link target
};

// True when the archive was written; `gzip` compresses it.
inline bool writeTar(const std::string& path, const std::vector<TarMember>& members, bool gzip = false)
{
    archive* a = archive_write_new();
    if (gzip) {
        archive_write_add_filter_gzip(a);
    }
    // GNU tar headers carry names as the bytes given, in any locale.
    archive_write_set_format_gnutar(a);
    bool ok = archive_write_open_filename(a, path.c_str()) == ARCHIVE_OK;
    for (const TarMember& m : members) {
        if (!ok) {
            break;
        }
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, m.name.c_str());
        archive_entry_set_filetype(e, m.type);
        archive_entry_set_perm(e, m.type == AE_IFDIR ? 0755 : 0644);
        if (!m.link.empty()) {
            archive_entry_set_symlink(e, m.link.c_str());
        }
        if (!m.hardlink.empty()) {
            archive_entry_set_hardlink(e, m.hardlink.c_str());
        }
        archive_entry_set_size(e, m.type == AE_IFREG && m.hardlink.empty() ? m.data.size() : 0);
        ok = archive_write_header(a, e) == ARCHIVE_OK;
        if (ok && m.type == AE_IFREG && !m.data.empty()) {
            ok = archive_write_data(a, m.data.data(), m.data.size()) == static_cast<la_ssize_t>(m.data.size());
        }
        archive_entry_free(e);
    }
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok;
}

}  // namespace quibo::test
