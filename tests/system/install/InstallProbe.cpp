// Runs the tool's own lookups of its libraries and resource packs from
// wherever this program lies, and says where each one was found:
//   library libConLCode.so /prefix/lib/qlr-learn/libConLCode.so
//   pack on1805 /prefix/lib/qlr-learn/on1805.rcc
// or "... missing" and exit status 1. The packs to look for are the arguments.
#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>
#include <link.h>

#include <cstdio>

#include "ConverterLibrary.h"
#include "ResourcePack.h"
#include "rcport.h"

namespace
{
// The file the dynamic loader took for an object already loaded.
QString loadedFile(void *handle)
{
    link_map *map = nullptr;
    return handle && dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map ? QString::fromLocal8Bit(map->l_name)
                                                                       : QString();
}

// The file's real name, links and ".." resolved, so that it compares with the prefix.
bool report(const char *kind, const QString &name, const QString &where)
{
    const QString file = where.isEmpty() ? QString() : QFileInfo(where).canonicalFilePath();
    std::printf("%s %s %s\n", kind, qPrintable(name), file.isEmpty() ? "missing" : qPrintable(file));
    return !file.isEmpty();
}
}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    bool found = true;

    // The conversion library as the tool loads it: by its plain name, through the run path.
    ConverterLibrary converter;
    converter.convert("");
    void *conversion = converter.loaded() ? dlopen(ConverterLibrary::defaultFileName, RTLD_NOW | RTLD_NOLOAD) : nullptr;
    found &= report("library", ConverterLibrary::defaultFileName, loadedFile(conversion));
    if (conversion)
        dlclose(conversion);

    // The device library, linked in: the object that holds its first function.
    Dl_info device{};
    const bool linked = dladdr(reinterpret_cast<void *>(&link_state), &device) != 0 && device.dli_fname;
    found &= report("library", "librcport.so", linked ? QString::fromLocal8Bit(device.dli_fname) : QString());

    for (const QString &stem : application.arguments().mid(1)) {
        ResourcePack pack(stem);
        found &= report("pack", stem, pack.load() ? ResourcePack::find(pack.fileName()) : QString());
    }
    return found ? 0 : 1;
}
