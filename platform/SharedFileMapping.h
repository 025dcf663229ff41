// Named read-only file mapping, our stand-in for the Windows named file
// mapping the dictionary is shared through.  A process-wide table maps a
// mapping name to one reference-counted mmap of a file: the first open of a
// name maps its file, every later open of the same name borrows that view and
// never reads its own file (so it works even after the file was removed), and
// the view is unmapped when the last holder releases it.  Between processes
// the page cache shares the pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quibo::platform {

class SharedFileMapping {
public:
    SharedFileMapping() = default;
    ~SharedFileMapping();
    SharedFileMapping(const SharedFileMapping&) = delete;
    SharedFileMapping& operator=(const SharedFileMapping&) = delete;

    // Borrows the mapping called `mappingName` when one is open in this
    // process, else maps `filePath` read-only under that name.  False when
    // neither works (no mapping and the file cannot be opened or mapped, or
    // the file is empty).  Opening again releases what was held before.
    bool open(const std::string& filePath, const std::string& mappingName);
    void close();

    bool mapped() const { return m_mapped; }
    const std::uint8_t* data() const { return m_view; }
    std::size_t size() const { return m_size; }
    // True when this holder mapped the file itself, false when it borrowed
    // an existing mapping of the name.
    bool ownsFile() const { return m_ownsFile; }

    // Number of holders of the mapping `mappingName` in this process (0 when
    // no such mapping is open).
    static int holders(const std::string& mappingName);

private:
    bool m_mapped = false;
    std::string m_filePath;
    std::string m_mappingName;
    bool m_ownsFile = false;
    const std::uint8_t* m_view = nullptr;
    std::size_t m_size = 0;
};

}  // namespace quibo::platform
