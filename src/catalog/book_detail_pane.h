#pragma once
// The pane under every catalogue title list: the current title's catalogue columns, its
// further classifications, cover pictures and long texts, refreshed on every row change.
#include <QWidget>

class DataSet;

class TBookDetailPane : public QWidget {
    Q_OBJECT
public:
    explicit TBookDetailPane(QWidget *parent = nullptr);

    // The host's book list; the pane follows its current row (and its order changes).
    void setBookList(DataSet *books);
    // Whether covers are loaded (category and publisher browse) or the placeholders stay.
    void setLoadsPictures(bool on);
    // Re-reads the current row: fields, classification list, long texts, pictures.
    void refresh();
};
