#pragma once
// The pane under every catalogue title list: the current title's catalogue columns, its
// further classifications, cover pictures and long texts, refreshed on every row change.
//
// A browse window embeds it like this:
//   auto *pane = new TBookDetailPane(prompter, listArea);   // "Panel5", 313 pixels high
//   pane->setLoadsPictures(true);                     // category and publisher browse only
//   pane->setBookList(&dsBook);                       // not owned; refreshes at once
//   TToggleStrip *strip = pane->createPaneStrip(listArea);   // ImgUp/ImgDown, 12 pixels high
//   layout->addWidget(grid); layout->addWidget(pane); layout->addWidget(strip);
//   strip->setTargetVisible(false);                   // or by the ShowDetailYoN setting
// The extension panel PlExt and its strip live inside the first tab; the panel starts hidden.
// The ISBN field marks an ISBN whose check digit is wrong ("校验位错误", catalog/isbn_mark_gui.h).
// A cover file that cannot be decoded shows its folder's nocover.bmp (or, failing that, the
// placeholder) and is told once per file and run through the prompter, never per row.
// A host that docks the pane beside its list rather than under it (the search window) lifts
// the fixed height: setMinimumHeight(0); setMaximumHeight(QWIDGETSIZE_MAX). Tabs too narrow
// for their fields scroll.
#include "data/dataset.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <vector>

class DbGrid;
class Prompter;
struct Statement;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class TToggleStrip;

class TBookDetailPane : public QWidget {
    Q_OBJECT
public:
    static constexpr int PaneHeight = 313;

    // Errors of its lists and pictures are told through prompter.
    explicit TBookDetailPane(Prompter &prompter, QWidget *parent = nullptr);
    ~TBookDetailPane() override;

    // The host's book list; the pane follows its current row (and its order changes).
    void setBookList(DataSet *books);
    DataSet *bookList() const { return m_books; }
    // Whether covers are loaded (category and publisher browse) or the placeholders stay.
    // Turning it on shows the current title's covers at once.
    void setLoadsPictures(bool on);
    bool loadsPictures() const { return m_loadsPictures; }
    // Re-reads the current row: fields, classification list, long texts, pictures.
    void refresh();
    // Where errors are told (not owned; may be null: they then go to the debug log).

    // The horizontal strip that shows and hides this pane (pictures ImgUp "显示明细" and
    // ImgDown "隐藏明细"); the host places it between its list and its button bar.
    TToggleStrip *createPaneStrip(QWidget *parent);
    // The strip at the right edge of the first tab and the panel it shows and hides.
    TToggleStrip *extensionStrip() const { return m_extStrip; }
    QWidget *extensionPanel() const { return m_plExt; }

    // The classification list (DsBookType) and the long-text list (DsTxt).
    DataSet &classifications() { return *m_types; }
    DataSet &longTexts() { return *m_texts; }

    // The detsnrty columns of the 18 long-text tabs, in tab order, with their captions.
    static const QStringList &longTextColumns();
    static QString longTextCaption(const QString &column);

    QTabWidget *pages() const { return m_pages; }
    // The read-only field of a catalogue column, or nullptr.
    QLineEdit *fieldEdit(const QString &column) const;
    // The text of a detsnrty column, or nullptr.
    QPlainTextEdit *longTextEdit(const QString &column) const;
    QLabel *bigPicture() const { return m_imgBig; }
    QLabel *smallPicture() const { return m_imgSmall; }
    // What both pictures show before any cover was loaded.
    static QPixmap placeholderPicture();

private:
    struct FieldBinding {
        QString column;
        QLineEdit *edit;
        int index = -1;   // field of the book list, -1 when it has none
    };
    struct TextBinding {
        QString column;
        QPlainTextEdit *edit;
        QString shown;
    };

    QWidget *buildBaseTab();
    QWidget *buildSingleClassTab();
    QWidget *buildTypeTab();
    QWidget *buildPictureTab();
    QWidget *buildTextTab();
    QLineEdit *addField(const QString &column, const QString &caption);

    void bindFields();
    void showFields(int row);
    bool reopen(DataSet &list, const Statement &statement);
    void showLongTexts();
    void showPictures(int row);
    bool loadPicture(const QString &path, QPixmap *picture);
    void showPicture(QLabel *target, const QString &path, const QString &fallback);

    Prompter &m_prompter;
    QPointer<DataSet> m_books;
    std::vector<QMetaObject::Connection> m_bookConnections;
    bool m_loadsPictures = false;

    DataSet *m_types;
    DataSet *m_texts;
    std::vector<FieldBinding> m_fields;
    std::vector<TextBinding> m_textEdits;

    QTabWidget *m_pages = nullptr;
    QWidget *m_plExt = nullptr;
    TToggleStrip *m_extStrip = nullptr;
    DbGrid *m_typeGrid = nullptr;
    QLabel *m_imgBig = nullptr;
    QLabel *m_imgSmall = nullptr;
};
