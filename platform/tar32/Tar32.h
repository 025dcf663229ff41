/* The archiver library libtar32.so: tar archives (gzip-compressed or not)
 * through libarchive, behind the small C interface that Pellmint loads by
 * name at run time.
 *
 * Commands are one line of blank-separated words; a word in double quotes may
 * hold blanks (there is no escape: a path holding '"' cannot be passed).
 *
 *   -x [--display-dialog=0] [--limit-bytes=N] [--limit-entries=N] ARCHIVE -o FOLDER
 *       extracts every member below FOLDER, which must exist.  The archive is
 *       checked whole before anything is written: a member that is absolute,
 *       holds a ".." component, is a symbolic or hard link, a device, a FIFO
 *       or a socket refuses the whole archive, and so does a truncated or
 *       damaged archive (one without its end-of-archive blocks counts as
 *       truncated, even when it ends between two members).  So does an
 *       archive whose members would write more than the limit of bytes
 *       (default 256 MiB) or whose entries are more than the limit of
 *       entries (default 10,000): a small compressed archive cannot fill the
 *       disk.  Members are written with modes 0644 (files) and 0755
 *       (folders), never through an existing symbolic link.  A run that
 *       fails part way (the data exceeding what the headers said, a full
 *       disk) removes what it had written.
 *   -cz [--display-dialog=0] ARCHIVE [NAME...] [@LISTFILE...]
 *       writes a gzip-compressed tar of the named regular files (relative
 *       paths, read from the current directory, never through a symbolic
 *       link).  A list file names one path a line, each line quoted or not,
 *       CR LF or LF; a first line "--" only marks the start of the names.
 *       A failed run removes the archive it began.
 *
 * The library never shows a dialog: the owner window and the
 * "--display-dialog" option are accepted and have no effect.  `Tar` leaves
 * the output buffer empty exactly when it succeeded; otherwise the buffer
 * holds one line saying what went wrong (cut to fit, always NUL-terminated
 * when the size is not 0).
 *
 * No C++ exception crosses these functions. */
#ifndef QUIBO_TAR32_H
#define QUIBO_TAR32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TAR32_EXPORT __attribute__((visibility("default")))

/* Results of Tar. */
enum {
    TAR32_OK = 0,
    TAR32_ERROR_COMMAND = 1,   /* the command line is not understood */
    TAR32_ERROR_ARCHIVE = 2,   /* the archive cannot be read or written */
    TAR32_ERROR_UNSAFE = 3,    /* a member would not stay inside the output folder */
    TAR32_ERROR_FILE = 4,      /* a file to pack cannot be read */
    TAR32_ERROR_LIMIT = 5      /* the archive would write more than its limits */
};

#define TAR32_DEFAULT_LIMIT_BYTES (256ull << 20)
#define TAR32_DEFAULT_LIMIT_ENTRIES 10000ull

/* Results of TarFindFirst and TarFindNext besides 0 (a member was found). */
enum {
    TAR32_END_OF_MEMBERS = -1,
    TAR32_ERROR_HANDLE = -2
};

#define TAR32_NAME_MAX 512

/* What TarFindFirst and TarFindNext tell of one member. */
typedef struct TarMemberInfo {
    uint64_t size;        /* bytes of the member's data */
    int64_t modified;     /* seconds since 1970-01-01 UTC */
    uint32_t mode;        /* type and permission bits, as st_mode */
    char fileName[TAR32_NAME_MAX + 1];  /* the member's path inside the archive */
} TarMemberInfo;

typedef struct Tar32Archive* TAR32_HANDLE;

/* Runs one command; see above.  `output` may be null when `outputSize` is 0. */
TAR32_EXPORT int Tar(void* ownerWindow, const char* commandLine, char* output, uint32_t outputSize);

/* Non-zero when `path` is a readable tar archive whose every header and
 * member can be read to its end, followed by the end-of-archive blocks.
 * Mode 0 is the only mode. */
TAR32_EXPORT int TarCheckArchive(const char* path, int mode);

/* The members of the archive at `path`, or null when it cannot be read whole
 * or a member's name does not fit TarMemberInfo. */
TAR32_EXPORT TAR32_HANDLE TarOpenArchive(void* ownerWindow, const char* path, uint32_t mode);

/* The first member whose name matches `wildName` ("*" and "*.*" match every
 * name; otherwise shell wildcards).  0 when one was found. */
TAR32_EXPORT int TarFindFirst(TAR32_HANDLE archive, const char* wildName, TarMemberInfo* info);
TAR32_EXPORT int TarFindNext(TAR32_HANDLE archive, TarMemberInfo* info);
TAR32_EXPORT int TarCloseArchive(TAR32_HANDLE archive);

/* The entry points' types, for callers that look them up with dlsym. */
typedef int (*TarFunction)(void*, const char*, char*, uint32_t);
typedef int (*TarCheckArchiveFunction)(const char*, int);
typedef TAR32_HANDLE (*TarOpenArchiveFunction)(void*, const char*, uint32_t);
typedef int (*TarFindFirstFunction)(TAR32_HANDLE, const char*, TarMemberInfo*);
typedef int (*TarFindNextFunction)(TAR32_HANDLE, TarMemberInfo*);
typedef int (*TarCloseArchiveFunction)(TAR32_HANDLE);

#ifdef __cplusplus
}
#endif

#endif
