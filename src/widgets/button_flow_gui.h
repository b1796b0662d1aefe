#pragma once
// A window's row of buttons that wraps instead of being cut: the buttons sit right-aligned on
// one row while the width allows, and move onto further rows (each right-aligned, in their
// order) when it does not, so every button keeps the width its caption needs at any window
// size. Its height follows the width (heightForWidth), so the window's other parts give way.
#include <QLayout>
#include <QList>

class ButtonFlowLayout : public QLayout {
public:
    explicit ButtonFlowLayout(QWidget *parent = nullptr);
    ~ButtonFlowLayout() override;

    // Puts widget before the item at index (at the end for a negative or too large index).
    void insertWidget(int index, QWidget *widget);

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;

private:
    // Lays the items out in rect (when apply) and returns the height they take.
    int arrange(const QRect &rect, bool apply) const;

    QList<QLayoutItem *> m_items;
};
