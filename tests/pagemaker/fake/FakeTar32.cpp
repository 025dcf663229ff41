// An archiver library that lies: Tar writes nothing and reports nothing, the
// only member it lists is "ghost.pdata", and it has no TarCheckArchive.
#include "platform/tar32/Tar32.h"

#include <cstring>

extern "C" {

TAR32_EXPORT int Tar(void*, const char*, char* output, uint32_t outputSize)
{
    if (output != nullptr && outputSize > 0) {
        output[0] = '\0';
    }
    return 0;
}

TAR32_EXPORT TAR32_HANDLE TarOpenArchive(void*, const char*, uint32_t)
{
    static int token;
    return reinterpret_cast<TAR32_HANDLE>(&token);
}

TAR32_EXPORT int TarFindFirst(TAR32_HANDLE, const char*, TarMemberInfo* info)
{
    std::strcpy(info->fileName, "ghost.pdata");
    return 0;
}

TAR32_EXPORT int TarFindNext(TAR32_HANDLE, TarMemberInfo*)
{
    return TAR32_END_OF_MEMBERS;
}

TAR32_EXPORT int TarCloseArchive(TAR32_HANDLE)
{
    return 0;
}

}
