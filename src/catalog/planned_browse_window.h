#pragma once
// The planned-textbook browse "十一五规划教材浏览": every title whose kz11 is "十一五", in the
// database's order, in one grid with the detail pane (hidden at opening, no cover pictures),
// the cart and export buttons. The list is read once, when the window is first shown.
#include "catalog/browse_setup.h"

#include <QSqlDatabase>
#include <QWidget>

class BookBrowseWidget;
class Prompter;

class TFrmbook115 : public QWidget {
    Q_OBJECT
public:
    TFrmbook115(Prompter &prompter, const QSqlDatabase &db, const BrowseSetup &setup = {},
                QWidget *parent = nullptr);
    ~TFrmbook115() override;

    BookBrowseWidget *browse() const { return m_browse; }

    // Opens the list of planned textbooks (again).
    bool loadBooks();

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool m_shown = false;
    BookBrowseWidget *m_browse;
};
