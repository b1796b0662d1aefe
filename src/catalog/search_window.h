#pragma once
// The catalogue search "书目检索": one field on one of four simple pages, or a combined
// condition built step by step on the fifth; the result in the shared browse widget, as the
// browse windows show their titles: the grid with ticks, the detail pane under it, the ticked
// titles into the cart, the list exported (layout A) or printed, the columns remembered.
//
//   ┌ Panel5 (72 pixels; 206 on "组合条件") ───────────────────────────────┐
//   │ Pcsearch: 基本信息 | 出版社 | 人员 | 分类 | 组合条件                      │
//   ├ Panel7 (collapse strip, "组合条件" only) ─────────────────────────────┤
//   │ BookBrowseWidget: Dbgbook                                             │
//   │                   Pldetail (as wide as the list)                      │
//   │                   pane strip ImgUp/ImgDown                            │
//   │        [放入购物车] [导出(&E)] [ 打印(&P)] [关闭(&C)]                    │
//   └───────────────────────────────────────────────────────────────────────┘
#include "cart/search_condition.h"
#include "data/dataset.h"
#include "grid/marked_rows.h"

#include <QSqlDatabase>
#include <QWidget>

class BookBrowseWidget;
class CriteriaScrollArea;
class DbGrid;
class Prompter;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class TBookDetailPane;
class TToggleStrip;

class PpMenu;

class TFrmQuery : public QWidget {
    Q_OBJECT
public:
    // What the caller reads from the configuration for this window.
    struct Options {
        QString defaultRelation = QStringLiteral("包含");   // ALL/sGetRelation
        bool showDetail = false;                             // ShowDetailYoN of FrmQuery is "Y"
        PpMenu *popupMenu = nullptr;                         // the shared grid pop-up; none: no menu
        QString operatorCode;                                // whose cart "放入购物车" fills
    };

    // Tags of the pages and of their query buttons.
    enum Page { BasePage = 0, PressPage = 1, PersonPage = 2, TypePage = 3, CombinedPage = 4 };

    TFrmQuery(Prompter &prompter, const QSqlDatabase &db, const Options &options,
              QWidget *parent = nullptr);
    ~TFrmQuery() override;

    QSize sizeHint() const override { return {1180, 660}; }

    BookBrowseWidget *browse() const { return m_browse; }
    DataSet &books();
    MarkedRowList &marked();
    DbGrid *grid() const;
    TBookDetailPane *pane() const;
    QTabWidget *pages() const { return m_pages; }
    const ConditionLines &conditionLines() const { return m_lines; }

    // The search of a page (the query buttons' tags). Returns whether a result was opened.
    bool runSearch(int tag);
    // One step of the combined condition (the buttons' tags: 0 condition, 1 and, 2 or,
    // 3 left parenthesis, 4 right parenthesis).
    void addStep(int tag);
    // Asks, then empties the combined condition (only when it has lines).
    void clearConditions();
    // BtnShop: the ticked titles into the cart; the ticks go on success.
    bool placeSelection();
    // BtnPrt: the printed list of the result.
    void print();

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct SimplePage {
        QComboBox *field = nullptr;
        QComboBox *relation = nullptr;
        QLineEdit *value = nullptr;
        QPushButton *query = nullptr;
        CriteriaScrollArea *row = nullptr;
    };

    QWidget *buildSimplePage(int tag, const char *pageName, const char *fieldName,
                             const QStringList &fields, const char *relationName,
                             const char *editName, const char *buttonName);
    QWidget *buildCombinedPage();
    // A captioned button carrying tag (its page or step) for the slot it calls.
    QPushButton *taggedButton(const QString &objectName, const QString &caption, int tag);
    void pageChanged(int index);
    void layoutCombinedPage();
    // The search panel's height: the page's own, plus a scroll bar while its row is cut.
    void fitPanel();
    void showLines();

    Prompter &m_prompter;
    QSqlDatabase m_db;
    Options m_options;
    ConditionLines m_lines;
    bool m_shownOnce = false;

    QWidget *m_panel5 = nullptr;
    QTabWidget *m_pages = nullptr;
    TToggleStrip *m_panel7 = nullptr;
    SimplePage m_simple[4];
    QComboBox *m_cbField = nullptr;
    QComboBox *m_cbRelation = nullptr;
    QLineEdit *m_edtValue = nullptr;
    QLabel *m_lbl = nullptr;
    QLineEdit *m_edtValue2 = nullptr;
    QPushButton *m_btnOk = nullptr;
    QPlainTextEdit *m_mmWhere = nullptr;
    QPlainTextEdit *m_mmName = nullptr;
    BookBrowseWidget *m_browse = nullptr;
};
