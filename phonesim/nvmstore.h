#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <map>
#include <utility>

namespace phonesim {

// The emulated phone's NVM files, by (section, subsection). The favourites
// file (2, 1) always exists; it starts empty. With a folder, every file is
// loaded from it at start and written back at each change, one file per NVM
// file, named "nvm_<section>_<subsection>.bin".
class NvmStore {
public:
    using Key = std::pair<std::int32_t, std::int32_t>;
    static constexpr Key Favourites{2, 1};
    // The most bytes one NVM file holds.
    static constexpr std::int32_t MaxFileSize = 65536;

    explicit NvmStore(QString folder = {});

    // Reads the folder's files; false with a reason when it cannot.
    bool load(QString* error);

    bool contains(Key key) const { return files_.count(key) != 0; }
    QByteArray file(Key key) const;
    // Creates or replaces a file; false when the folder cannot take it (the
    // file in memory is replaced all the same).
    bool setFile(Key key, const QByteArray& bytes);

    const QString& folder() const { return folder_; }
    static QString fileName(Key key);

private:
    bool save(Key key) const;

    QString folder_;
    std::map<Key, QByteArray> files_;
};

} // namespace phonesim
