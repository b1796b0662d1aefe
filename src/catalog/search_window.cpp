#include "catalog/search_window.h"

#include "catalog/book_browse_widget.h"
#include "catalog/book_detail_pane.h"
#include "catalog/book_list.h"
#include "catalog/list_report_dialog.h"
#include "common/guarded.h"
#include "common/prompter.h"
#include "grid/grid_view.h"
#include "widgets/captioned_controls_gui.h"
#include "widgets/criteria_scroll_gui.h"
#include "widgets/grid_colours_gui.h"
#include "widgets/tab_painter.h"
#include "widgets/toggle_strip_widget.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int PanelHeight = 72;
constexpr int CombinedPanelHeight = 206;
constexpr int WideValue = 260;
constexpr int NarrowValue = 120;

const QString Hint = QStringLiteral("系统提示");

GridColumns resultColumns()
{
    GridColumns cols;
    cols.addMark(GridColumns::MarkTitle, 28);
    cols.addField(QStringLiteral("CBMC"), QStringLiteral("版别"), 83);
    cols.addField(QStringLiteral("SM"), QStringLiteral("书名"), 269);
    cols.addField(QStringLiteral("ZTMC"), QStringLiteral("分级适用专业"), 87);
    cols.addField(QStringLiteral("NRJJ"), QStringLiteral("内容简介"), 65);
    cols.addField(QStringLiteral("DJ"), QStringLiteral("估定价"), 53);
    cols.addField(QStringLiteral("ZBH"), QStringLiteral("本季征订序号"), 82);
    cols.addField(QStringLiteral("ISBN"), QStringLiteral("ISBN(统一书号)"), 104);
    for (const char *f : {"TM", "YC", "ZZ", "KB", "ZDFS", "CBRQ", "GHMC", "QZS", "CBBM", "GHBM", "FSM",
                          "FSM2", "TSH1", "TSH2", "WWSM", "WWSM2", "CSM", "CSM2", "ZTBM", "YWBM", "YWBC",
                          "ZPBM", "ZPMC", "SYFW", "SYZY", "NRDJ", "ZZ2", "YZ", "YZ2", "CHR", "BJ", "BJ2",
                          "BS", "ZZGG", "BCYS", "DWYZ", "ZYZ", "BZYZ", "YS", "MBCS", "SFXS", "YDSL"}) {
        const QString field = QString::fromLatin1(f);
        cols.addField(field, BookList::caption(field)).visible = false;
    }
    return cols;
}

} // namespace

TFrmQuery::TFrmQuery(Prompter &prompter, const QSqlDatabase &db, const Options &options, QWidget *parent)
    : QWidget(parent), m_prompter(prompter), m_db(db), m_options(options)
{
    setObjectName(QStringLiteral("FrmQuery"));
    setWindowTitle(QStringLiteral("书目检索"));
    GridColours::paintBackground(this, GridColours::Window);

    // The search panel with the page control inside PlTop (8 pixels in from either side).
    m_panel5 = new QWidget(this);
    m_panel5->setObjectName(QStringLiteral("Panel5"));
    m_panel5->setFixedHeight(PanelHeight);
    auto *plTop = new QWidget(m_panel5);
    plTop->setObjectName(QStringLiteral("PlTop"));
    auto *panelLayout = new QVBoxLayout(m_panel5);
    panelLayout->setContentsMargins(8, 4, 8, 2);
    panelLayout->addWidget(plTop);
    m_pages = new QTabWidget(plTop);
    m_pages->setObjectName(QStringLiteral("Pcsearch"));
    m_pages->setAccessibleName(QStringLiteral("检索方式"));
    // The page control's tabs: all 60 pixels wide, drawn like every other page control.
    TabPainter::install(m_pages, true, 60);
    auto *topLayout = new QVBoxLayout(plTop);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(m_pages);

    m_pages->addTab(buildSimplePage(BasePage, "tb1", "CbBase",
                                    {"书名", "作者", "出版社名称", "ISBN", "丛书名称", "外文书名"},
                                    "tb1cbrelation", "EdtBase", "BtnBase"),
                    QStringLiteral("基本信息"));
    m_pages->addTab(buildSimplePage(PressPage, "tb2", "CbPress", {"出版社名称", "出版社编号", ""},
                                    "tb2cbrelation", "EdtPress", "BtnPress"),
                    QStringLiteral("出版社"));
    m_pages->addTab(buildSimplePage(PersonPage, "tb3", "CbPerson",
                                    {"作者", "作者2", "译者", "译者2", "策划人", "编辑", "编辑2"},
                                    "tb3cbrelation", "EdtPerson", "BtnPerson"),
                    QStringLiteral("人员"));
    m_pages->addTab(buildSimplePage(TypePage, "tb4", "CbType",
                                    {"中图法分类编码", "中图法分类名称", "业务分类编码", "业务分类名称",
                                     "制品类型编码", "制品类型名称", "适用范围名称", "适用专业名称", "CIP分类",
                                     "统计分类编码", "统计分类名称"},
                                    "tb4cbrelation", "EdtType", "BtnType"),
                    QStringLiteral("分类"));
    m_pages->addTab(buildCombinedPage(), QStringLiteral("组合条件"));

    // The collapse strip of the combined page: hides the search panel to give the list room.
    m_panel7 = new TToggleStrip(Qt::Horizontal, m_panel5, this);
    m_panel7->setObjectName(QStringLiteral("Panel7"));
    m_panel7->setPictureNames(QStringLiteral("Image5"), QStringLiteral("Image6"));
    m_panel7->setHints(QStringLiteral("显示查询条件"), QStringLiteral("隐藏查询条件"));
    m_panel7->setTargetVisible(true);
    m_panel7->hide();

    // The result in the browse widget: the grid, the detail pane under it as wide as the
    // list, and the buttons, as the browse windows carry them.
    m_browse = new BookBrowseWidget(prompter, db, this);
    m_browse->books().setObjectName(QStringLiteral("DsBook"));
    m_browse->setColumns(resultColumns());
    m_browse->grid()->setPopupMenu(options.popupMenu);
    m_browse->setOperatorCode(options.operatorCode);
    m_browse->setLoadsPictures(false);
    m_browse->setExportLayout(CatalogueExport::Layout::A);
    m_browse->pane()->setObjectName(QStringLiteral("Pldetail"));
    QPushButton *print = m_browse->addButton(QStringLiteral("BtnPrt"), QStringLiteral(" 打印(&P)"));
    connect(print, &QPushButton::clicked, this, &TFrmQuery::print);
    connect(m_browse->closeButton(), &QPushButton::clicked, this, [this] { BookBrowseWidget::closeWindow(this); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_panel5);
    layout->addWidget(m_panel7);
    layout->addSpacing(2);
    layout->addWidget(m_browse, 1);

    connect(m_pages, &QTabWidget::currentChanged, this, &TFrmQuery::pageChanged);
    m_browse->setPaneVisible(m_options.showDetail);
    layoutCombinedPage();

    setTabOrder(m_pages, m_simple[BasePage].field);
    setFocusProxy(m_simple[BasePage].value);
}

TFrmQuery::~TFrmQuery() = default;

DataSet &TFrmQuery::books()
{
    return m_browse->books();
}

MarkedRowList &TFrmQuery::marked()
{
    return m_browse->marked();
}

DbGrid *TFrmQuery::grid() const
{
    return m_browse->grid();
}

TBookDetailPane *TFrmQuery::pane() const
{
    return m_browse->pane();
}

QPushButton *TFrmQuery::taggedButton(const QString &objectName, const QString &caption, int tag)
{
    QPushButton *b = captionedButton(this, objectName, caption, 72);
    b->setProperty("tag", tag);
    return b;
}

QWidget *TFrmQuery::buildSimplePage(int tag, const char *pageName, const char *fieldName,
                                    const QStringList &fields, const char *relationName,
                                    const char *editName, const char *buttonName)
{
    auto *page = new QWidget;
    page->setObjectName(QString::fromLatin1(pageName));
    SimplePage &p = m_simple[tag];
    p.field = new QComboBox(page);
    p.field->setObjectName(QString::fromLatin1(fieldName));
    p.field->addItems(fields);
    p.field->setMinimumWidth(140);
    p.relation = new QComboBox(page);
    p.relation->setObjectName(QString::fromLatin1(relationName));
    p.relation->addItems(SimpleRelations());
    p.relation->setMinimumWidth(100);
    p.value = new QLineEdit(page);
    p.value->setObjectName(QString::fromLatin1(editName));
    p.value->setProperty("tag", tag + 1);
    p.value->setMinimumWidth(260);
    p.query = taggedButton(QString::fromLatin1(buttonName), QStringLiteral("查询(&Q)"), tag);
    p.query->setParent(page);

    // The captions and fields scroll when the window is too narrow; the button stays in view.
    auto *rowFields = new QWidget;
    auto *row = new QHBoxLayout(rowFields);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(captionFor(p.field, QStringLiteral("查询项")));
    row->addWidget(p.field);
    row->addSpacing(6);
    row->addWidget(captionFor(p.relation, QStringLiteral("条件")));
    row->addWidget(p.relation);
    row->addSpacing(6);
    row->addWidget(captionFor(p.value, QStringLiteral("查询值")));
    row->addWidget(p.value, 1);
    p.row = new CriteriaScrollArea(rowFields, page);
    connect(p.row, &CriteriaScrollArea::extraHeightChanged, this, [this] { fitPanel(); });

    auto *pageRow = new QHBoxLayout(page);
    pageRow->setContentsMargins(6, 4, 6, 4);
    pageRow->setSpacing(6);
    pageRow->addWidget(p.row, 1);
    pageRow->addSpacing(6);
    pageRow->addWidget(p.query);

    connect(p.query, &QPushButton::clicked, this, [this, tag] { guarded(m_prompter, [&] { runSearch(tag); }); });
    // Enter acts when it is pressed.
    connect(p.value, &QLineEdit::returnPressed, this, [this, tag] { guarded(m_prompter, [&] { runSearch(tag); }); });
    return page;
}

QWidget *TFrmQuery::buildCombinedPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tb5"));
    m_cbField = new QComboBox(page);
    m_cbField->setObjectName(QStringLiteral("CbField"));
    m_cbField->addItems({"书名", "作者", "出版社名称", "ISBN", "丛书名称", "外文书名"});
    m_cbField->setMinimumWidth(120);
    m_cbRelation = new QComboBox(page);
    m_cbRelation->setObjectName(QStringLiteral("CbRelation"));
    m_cbRelation->addItems(CombinedRelations());
    m_cbRelation->setCurrentIndex(int(CombinedRelations().indexOf(QStringLiteral("等于"))));
    m_cbRelation->setMinimumWidth(100);
    m_edtValue = new QLineEdit(page);
    m_edtValue->setObjectName(QStringLiteral("EdtValue"));
    m_lbl = new QLabel(QStringLiteral("和"), page);
    m_lbl->setObjectName(QStringLiteral("Lbl"));
    m_edtValue2 = new QLineEdit(page);
    m_edtValue2->setObjectName(QStringLiteral("EdtValue2"));
    m_edtValue2->setAccessibleName(QStringLiteral("第二查询值"));
    m_edtValue2->setFixedWidth(NarrowValue);
    m_lbl->setBuddy(m_edtValue2);

    auto *btnNew = taggedButton(QStringLiteral("BtnNew"), QStringLiteral("添加(&A)"), 0);
    auto *btnAdd = taggedButton(QStringLiteral("BtnAdd"), QStringLiteral("和"), 1);
    auto *btnOr = taggedButton(QStringLiteral("BtnOr"), QStringLiteral("或"), 2);
    auto *btnLeft = taggedButton(QStringLiteral("BtnLeft"), QStringLiteral("左括号"), 3);
    auto *btnRight = taggedButton(QStringLiteral("BtnRight"), QStringLiteral("右括号"), 4);
    auto *btnClear = taggedButton(QStringLiteral("BtnClear"), QStringLiteral("清除(&L)"), 0);
    btnClear->setToolTip(QStringLiteral("清除查询条件"));
    m_btnOk = taggedButton(QStringLiteral("BtnOk"), QStringLiteral("查询(&Q)"), CombinedPage);
    for (QPushButton *b : {btnNew, btnAdd, btnOr, btnLeft, btnRight, btnClear, m_btnOk})
        b->setParent(page);

    m_mmWhere = new QPlainTextEdit(page);
    m_mmWhere->setObjectName(QStringLiteral("MmWhere"));
    m_mmWhere->setReadOnly(true);
    m_mmWhere->setAccessibleName(QStringLiteral("查询语句"));
    m_mmWhere->hide();
    m_mmName = new QPlainTextEdit(page);
    m_mmName->setObjectName(QStringLiteral("MmName"));
    m_mmName->setReadOnly(true);
    m_mmName->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto *inputsRow = new QWidget;
    auto *inputs = new QHBoxLayout(inputsRow);
    inputs->setContentsMargins(0, 0, 0, 0);
    inputs->setSpacing(6);
    inputs->addWidget(captionFor(m_cbField, QStringLiteral("查询项")));
    inputs->addWidget(m_cbField);
    inputs->addSpacing(6);
    inputs->addWidget(captionFor(m_cbRelation, QStringLiteral("条件")));
    inputs->addWidget(m_cbRelation);
    inputs->addSpacing(6);
    inputs->addWidget(captionFor(m_edtValue, QStringLiteral("查询值")));
    inputs->addWidget(m_edtValue);
    inputs->addWidget(m_lbl);
    inputs->addWidget(m_edtValue2);
    inputs->addSpacing(6);
    inputs->addWidget(btnNew);
    inputs->addStretch(1);

    auto *stepsRow = new QWidget;
    auto *steps = new QHBoxLayout(stepsRow);
    steps->setContentsMargins(0, 0, 0, 0);
    steps->setSpacing(6);
    steps->addWidget(btnAdd);
    steps->addWidget(btnOr);
    steps->addWidget(btnLeft);
    steps->addWidget(btnRight);
    steps->addStretch(1);
    steps->addWidget(btnClear);
    steps->addWidget(m_btnOk);

    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    auto *inputsArea = new CriteriaScrollArea(inputsRow, page);
    layout->addWidget(inputsArea);
    auto *linesCaption = new QLabel(QStringLiteral("查询条件："), page);
    linesCaption->setBuddy(m_mmName);
    m_mmName->setAccessibleName(QStringLiteral("查询条件"));
    auto *body = new QHBoxLayout;
    body->setSpacing(6);
    auto *memoColumn = new QVBoxLayout;
    memoColumn->setSpacing(2);
    memoColumn->addWidget(linesCaption);
    memoColumn->addWidget(m_mmName, 1);
    body->addLayout(memoColumn, 1);
    layout->addLayout(body, 1);
    auto *stepsArea = new CriteriaScrollArea(stepsRow, page);
    layout->addWidget(stepsArea);

    for (QPushButton *b : {btnNew, btnAdd, btnOr, btnLeft, btnRight}) {
        const int tag = b->property("tag").toInt();
        connect(b, &QPushButton::clicked, this, [this, tag] { guarded(m_prompter, [&] { addStep(tag); }); });
    }
    for (QLineEdit *e : {m_edtValue, m_edtValue2})
        connect(e, &QLineEdit::returnPressed, this, [this] { guarded(m_prompter, [&] { addStep(0); }); });
    connect(btnClear, &QPushButton::clicked, this, [this] { guarded(m_prompter, [&] { clearConditions(); }); });
    connect(m_btnOk, &QPushButton::clicked, this, [this] { guarded(m_prompter, [&] { runSearch(CombinedPage); }); });
    connect(m_cbRelation, &QComboBox::currentIndexChanged, this, [this] { layoutCombinedPage(); });
    return page;
}

void TFrmQuery::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    const int relation = RelationIndex(m_options.defaultRelation);
    for (SimplePage &p : m_simple)
        p.relation->setCurrentIndex(relation);
    if (m_pages->currentIndex() == BasePage)
        pageChanged(BasePage);
    else
        m_pages->setCurrentIndex(BasePage);
    m_browse->setPaneVisible(m_options.showDetail);
    m_simple[BasePage].value->setFocus();
}

void TFrmQuery::fitPanel()
{
    const int index = m_pages->currentIndex();
    if (index == CombinedPage)
        m_panel5->setFixedHeight(CombinedPanelHeight);
    else if (index >= BasePage && index < CombinedPage)
        m_panel5->setFixedHeight(PanelHeight + m_simple[index].row->extraHeight());
}

void TFrmQuery::pageChanged(int index)
{
    if (index >= BasePage && index < CombinedPage)
        m_simple[index].value->clear();
    else if (index == CombinedPage)
        m_edtValue->clear();
    m_browse->books().close();
    m_browse->clearMarks();

    const bool combined = index == CombinedPage;
    fitPanel();
    if (!combined)
        m_panel7->setTargetVisible(true);   // never leave the panel hidden behind another page
    m_panel7->setVisible(combined);
}

void TFrmQuery::layoutCombinedPage()
{
    const QString word = m_cbRelation->currentText();
    const bool between = word == u"在...之间";
    m_lbl->setVisible(between);
    m_edtValue2->setVisible(between);
    m_edtValue->setFixedWidth(between ? NarrowValue : WideValue);
    m_edtValue->setEnabled(word != u"为空" && word != u"不为空");
}

bool TFrmQuery::runSearch(int tag)
{
    BoundCondition condition;
    if (tag >= BasePage && tag < CombinedPage) {
        const SimplePage &p = m_simple[tag];
        if (p.value->text().isEmpty()) {
            m_prompter.message(QStringLiteral("请输入有效的查询值"), Hint, MsgFlags::Information);
            return false;
        }
        condition = SimpleCondition(p.field->currentText(), p.relation->currentIndex(), p.value->text());
    } else if (tag == CombinedPage) {
        if (m_lines.isEmpty()) {
            m_prompter.message(QStringLiteral("请输入有效的查询条件"), Hint, MsgFlags::Information);
            return false;
        }
        condition = CombinedCondition(m_lines);
    } else {
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const BoundCondition search = SearchStatement(condition);
    const QString failure = m_browse->tryOpenBooks(search.text, search.values);
    QApplication::restoreOverrideCursor();
    if (!failure.isEmpty()) {
        m_prompter.message(QStringLiteral("条件设置有误，请重新设置\n") + failure, Hint, MsgFlags::Information);
        return false;
    }
    return true;
}

void TFrmQuery::addStep(int tag)
{
    static const StepKind kinds[] = {StepKind::Condition, StepKind::And, StepKind::Or,
                                     StepKind::LeftParenthesis, StepKind::RightParenthesis};
    if (tag < 0 || tag > 4)
        return;
    const ConditionInput input{m_cbField->currentText(), m_cbRelation->currentText(),
                               m_cbRelation->currentIndex(), m_edtValue->text(), m_edtValue2->text()};
    const QString refusal = AddConditionStep(m_lines, kinds[tag], input);
    if (!refusal.isEmpty()) {
        m_prompter.message(refusal, Hint, MsgFlags::Information);
        return;
    }
    showLines();
}

void TFrmQuery::clearConditions()
{
    if (m_lines.isEmpty())
        return;
    if (!m_prompter.askYesNo(QStringLiteral("请确认是否清除查询条件？")))
        return;
    m_lines.clear();
    showLines();
}

void TFrmQuery::showLines()
{
    m_mmWhere->setPlainText(m_lines.sqlLines().join(u'\n'));
    m_mmName->setPlainText(m_lines.displayLines().join(u'\n'));
}

bool TFrmQuery::placeSelection()
{
    return m_browse->placeSelection();
}

void TFrmQuery::print()
{
    guarded(m_prompter, [this] { ListReportDialog::run(this, m_browse->books(), m_prompter); });
}
