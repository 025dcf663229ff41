// Our stand-in for the system registry: a text file of keys and values.
//
//   ; comment
//   [HKEY_LOCAL_MACHINE\SOFTWARE\NEVLA\QUIBOシステム\3.1]
//   INSTALLPATH=/opt/quibo/
//
// The file is UTF-8, as any editor on this system writes it; a leading
// byte-order mark is skipped.  Callers name keys and values in engine text
// (EUC-JP) and the layer converts the names before it compares them, so the
// Japanese key name is written naturally in the file.  Values come back as
// the bytes stored (paths and addresses go to the file system and the
// network as they are).  Key and value names compare without regard to
// ASCII case, and a key's leading, trailing or doubled backslashes do not
// matter.  A value line holds NAME=value; the value runs to the end of the
// line (a CR before the LF is not part of it).  When a value is given twice
// the later line holds.
//
// The file is found through the environment variable QUIBO_REGISTRY, else at
// $XDG_CONFIG_HOME/quibo/registry, else at $HOME/.config/quibo/registry.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quibo::platform {

// The product's configuration key under HKEY_LOCAL_MACHINE (engine text).
inline constexpr std::string_view PRODUCT_KEY = "SOFTWARE\\NEVLA\\QUIBOシステム\\3.1\\";

// The size of the buffer through which the product reads a string value.
inline constexpr std::size_t REGISTRY_BUFFER_SIZE = 1024;

std::string registryFilePath();

class RegistryKey {
public:
    // The key HKEY_LOCAL_MACHINE\`subKey` as the registry file holds it now,
    // or null when the file or the key is missing.
    static std::unique_ptr<RegistryKey> openLocalMachine(std::string_view subKey);

    // The value `name` read through a buffer of `bufferSize` bytes: nothing
    // when the value is missing or does not fit with its terminating NUL.
    std::optional<std::string> queryString(std::string_view name,
                                           std::size_t bufferSize = REGISTRY_BUFFER_SIZE) const;

    // A key holding `values` (upper-cased UTF-8 name -> value).
    explicit RegistryKey(std::map<std::string, std::string> values);

private:
    std::map<std::string, std::string> m_values;
};

// Opens the key, reads the value through the product's 1024-byte buffer and
// closes the key: the stored text, or the empty text on any failure.
std::string readRegistryString(std::string_view subKey, std::string_view name);

// readRegistryString under PRODUCT_KEY, for callers whose own literals are
// not engine text (`name` is ASCII).
std::string readProductString(std::string_view name);

}  // namespace quibo::platform
