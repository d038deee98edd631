#pragma once

#include "store/imagefile.h"

#include <QString>

namespace linkwell {

class FavouritesStore;
class Notices;

// What the file commands need from the window.
class SectionFilesView {
public:
    virtual ~SectionFilesView() = default;
    // The store has just been loaded: show its entries, or an empty list.
    virtual void showLoadedList() = 0;
    virtual void setCaption(const QString& caption) = 0;
};

// Turns a filter of "description|pattern|..." pairs into Qt's
// "description (pattern);;..." form.
QString qtFileFilter(const QString& pipeFilter);

// "Save to file..." and "Open file...": the store's image as a file of exactly
// its bytes, and such a file back into the store.
class SectionFiles {
public:
    SectionFiles(FavouritesStore& store, Notices& notices, SectionFilesView& view, QString initialFolder);

    void save();
    void open();

    void setWriter(ImageWriter writer) { writer_ = std::move(writer); }
    // Where the next dialog opens: the folder of the last file opened or
    // saved, else the folder given at construction.
    QString dialogFolder() const { return folder_; }

private:
    FavouritesStore& store_;
    Notices& notices_;
    SectionFilesView& view_;
    QString folder_;
    ImageWriter writer_;
};

} // namespace linkwell
