#include "platform/Resources.h"

#include <QFile>
#include <QResource>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/Paths.h"

namespace orb {

namespace {
#if defined(Q_OS_UNIX)
// Maps the resource file for reading at random. A start reads a few dozen small pieces of
// it (one size class of glyphs and pictures); read-ahead would pull in the whole file
// around each one and keep it resident.
const uchar* MapForRandomReads(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    void* p = MAP_FAILED;
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        p = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (p == MAP_FAILED) return nullptr;
    ::madvise(p, size_t(st.st_size), MADV_RANDOM);
    // Stays mapped for the life of the process, as the registered resources do.
    return static_cast<const uchar*>(p);
}
#endif
}  // namespace

bool RegisterProgramResources() {
    static bool done = false;
    if (done) return true;
    const QString file = ProgramFile("orbelle.rcc");
#if defined(Q_OS_UNIX)
    if (const uchar* data = MapForRandomReads(file)) done = QResource::registerResource(data);
#endif
    if (!done) done = QResource::registerResource(file);
    return done;
}

}  // namespace orb
