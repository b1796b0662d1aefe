#pragma once
// TFrmDetail ("书目详细信息"): one title of a list as the detail page, with navigation through
// the list, a locator by field prefix and a button that puts the title into the cart. It is
// opened modally on the list of a book grid (double click or "浏览(&L)") and moves that
// list's current row, so the grid stays on the title last shown.
#include "data/dataset.h"

#include <QDialog>
#include <QPointer>
#include <QSqlDatabase>

class Prompter;
class QLineEdit;
class QPushButton;
class QTextBrowser;
class QToolButton;
class TFieldCombo;

class TFrmDetail : public QDialog {
    Q_OBJECT
public:
    // What the window works with besides the list.
    struct Context {
        QSqlDatabase db;
        Prompter *prompter = nullptr;
        QString operatorCode;
    };
    enum Move { First = 0, Prior = 1, Next = 2, Last = 3 };

    TFrmDetail(DataSet *list, const Context &context, QWidget *owner = nullptr);
    ~TFrmDetail() override;

    // Creates the window on list, shows it modally and frees it (the grids' detail opener).
    static int openOn(DataSet &list, const Context &context, QWidget *owner);

    void setList(DataSet *list);
    DataSet *list() const { return m_list; }

    // Shows the page of the list's current row; the window does this when it opens.
    void showTitle();
    // Moves the list (by tag: 0 first, 1 prior, 2 next, 3 last) and shows the title.
    void navigate(int tag);
    // Makes current the first row whose CbField column starts with EdtValue's text (on the ISBN
    // field also the title of that ISBN in its other forms, see catalog/title_locate.h).
    void locate();
    // Puts the current title into the cart and says so.
    void addToCart();

    // The page file in view: the built page or the error page; empty before the first.
    QString shownPage() const { return m_shownPage; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void build();
    void updateCursors();
    void loadPage(const QString &path);
    Prompter &prompter();

    QPointer<DataSet> m_list;
    Context m_context;
    bool m_shownOnce = false;
    QString m_shownPage;

    QTextBrowser *m_web = nullptr;
    QToolButton *m_moves[4] = {};
    TFieldCombo *m_field = nullptr;
    QLineEdit *m_value = nullptr;
    QPushButton *m_locate = nullptr;
    QPushButton *m_shop = nullptr;
    QPushButton *m_close = nullptr;
};
