// The files of one package folder as orvane-host serves them to a browser.
// A request target names a regular file inside the folder or nothing: the
// path is decoded once, and ".." segments, escapes that do not decode, NUL
// bytes and symbolic links that lead out of the folder are refused.  A
// target ending in '/' names its folder's start page, index.html; the root
// without one is the list of the packages below it, and no other folder is
// ever listed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quibo::orvane {

class StaticFolder {
public:
    enum class Outcome { Found, NotFound, Forbidden, BadRequest, PackageList };
    struct Lookup {
        Outcome outcome;
        std::string file;  // the absolute path, when found
    };

    // `folder` is resolved once, with its symbolic links; root() is empty
    // when it is no folder.
    explicit StaticFolder(const std::string& folder);
    const std::string& root() const { return m_root; }

    // The file named by `target`, the path of a request line ("/a/b.html?x").
    Lookup find(std::string_view target) const;

    static std::string contentType(const std::string& file);
    // The folders right below the root that hold a start page, by name.
    std::vector<std::string> packages() const;

private:
    std::string m_root;
};

}  // namespace quibo::orvane
