#include "LibraryLocation.h"

#include "QuilvetExports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

namespace quilvet::LibraryLocation {

namespace {

const link_map *ownLinkMap()
{
    Dl_info info {};
    void *extra = nullptr;
    if (dladdr1(reinterpret_cast<void *>(&DllGetClassObject), &info, &extra, RTLD_DL_LINKMAP) == 0) {
        return nullptr;
    }
    return static_cast<const link_map *>(extra);
}

// Folders named in an ld.so.conf file, following its include lines.
void addConfiguredFolders(const QString &file, QStringList &folders, int depth)
{
    QFile conf(file);
    if (depth > 4 || !conf.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return;
    }
    const QString base = QFileInfo(file).absolutePath();
    for (const QString &raw : QString::fromLocal8Bit(conf.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.section(QLatin1Char('#'), 0, 0).trimmed();
        if (line.startsWith(QStringLiteral("include "))) {
            const QFileInfo pattern(QDir(base), line.mid(8).trimmed());
            const QDir folder(pattern.absolutePath(), pattern.fileName(), QDir::Name, QDir::Files);
            for (const QString &included : folder.entryList()) {
                addConfiguredFolders(folder.filePath(included), folders, depth + 1);
            }
        } else if (line.startsWith(QLatin1Char('/'))) {
            folders << line;
        }
    }
}

} // namespace

QString loadedFile()
{
    Dl_info info {};
    if (dladdr(reinterpret_cast<void *>(&DllGetClassObject), &info) == 0 || !info.dli_fname) {
        return QString();
    }
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

QString soname()
{
    const link_map *map = ownLinkMap();
    if (!map || !map->l_ld) {
        return QString();
    }
    const char *strings = nullptr;
    ElfW(Xword) offset = 0;
    bool named = false;
    for (const ElfW(Dyn) *entry = map->l_ld; entry->d_tag != DT_NULL; ++entry) {
        if (entry->d_tag == DT_STRTAB) {
            // The loader has already relocated the table's address.
            strings = reinterpret_cast<const char *>(entry->d_un.d_ptr);
        } else if (entry->d_tag == DT_SONAME) {
            offset = entry->d_un.d_val;
            named = true;
        }
    }
    return named && strings ? QString::fromLocal8Bit(strings + offset) : QString();
}

QStringList loaderFolders()
{
    // The loader's built-in folders; Debian's multiarch folders and
    // /usr/local/lib come from its configuration.
    QStringList folders { QStringLiteral("/lib"), QStringLiteral("/usr/lib") };
    addConfiguredFolders(QStringLiteral("/etc/ld.so.conf"), folders, 0);
    return folders;
}

QString serverPath(const QString &loadedFile, const QString &soname, const QStringList &searchFolders)
{
    const QFileInfo loaded(loadedFile);
    const QFileInfo link(loaded.dir(), soname);
    if (soname.isEmpty() || !link.exists() || link.canonicalFilePath() != loaded.canonicalFilePath()) {
        return loaded.absoluteFilePath();
    }
    const QString folder = loaded.dir().canonicalPath();
    for (const QString &searched : searchFolders) {
        if (QDir(searched).canonicalPath() == folder) {
            return soname;
        }
    }
    return link.absoluteFilePath();
}

} // namespace quilvet::LibraryLocation
