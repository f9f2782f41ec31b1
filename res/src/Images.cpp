// Icon and bitmap resources, compiled into the program through the Qt resource system.
#include "res/Resources.h"

#include <QCoreApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QPointer>

#include <map>
#include <mutex>

static void initTovaloResources() {
    Q_INIT_RESOURCE(tovalo_res);
}

namespace res {

void InitResources() {
    static std::once_flag once;
    std::call_once(once, initTovaloResources);
}

std::string IconPath(int id, int size) {
    InitResources();
    if (id != IDI_APP)
        return {};
    switch (size) {
    case 16:
    case 32:
    case 48:
        return ":/tovalo/icon128-" + std::to_string(size) + ".png";
    default:
        return {};
    }
}

std::string BitmapPath(int id) {
    InitResources();
    return id == IDB_REMOTE ? ":/tovalo/bitmap151.png" : std::string();
}

QImage LoadPng(const std::string& path) {
    // Read as the PNG it is: probing the format would load every image plugin (and
    // libjpeg) at start-up.
    QImageReader reader(QString::fromStdString(path), "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

namespace {

// Icons decoded so far, living as long as the application object: pixmaps outlive neither.
class IconCache : public QObject {
public:
    using QObject::QObject;
    std::map<int, QIcon> icons;
};

QIcon DecodeIcon(int id) {
    QIcon icon;
    // The sizes of a window's small and large icons; the 256-pixel picture is the installed
    // theme icon's, for shells and file managers.
    for (int size : {16, 32, 48}) {
        if (const std::string path = IconPath(id, size); !path.empty())
            icon.addPixmap(QPixmap::fromImage(LoadPng(path)));
    }
    return icon;
}

} // namespace

QIcon LoadIcon(int id) {
    // The program and its window ask for the same icon at start-up; it is decoded once.
    static QPointer<IconCache> cache;
    if (!cache && QCoreApplication::instance())
        cache = new IconCache(QCoreApplication::instance());
    if (!cache)
        return DecodeIcon(id);
    auto [it, fresh] = cache->icons.try_emplace(id);
    if (fresh)
        it->second = DecodeIcon(id);
    return it->second;
}

} // namespace res
