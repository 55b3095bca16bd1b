#pragma once

#include <QLabel>
#include <QString>
#include <QTextLayout>

#include <map>
#include <memory>

namespace qcm {

// A word-wrapped label for texts of any length (a regulation text pasted
// whole into a statement): the text is laid out once per width and kept,
// and only the lines in view are painted. A plain QLabel lays the whole text
// out again for every size query and every paint.
class WrappedLabel : public QLabel {
    Q_OBJECT

public:
    explicit WrappedLabel(QWidget *parent = nullptr);
    ~WrappedLabel() override;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // The text laid out for that width of the whole label; its height.
    int layOut(int width) const;
    void forget() const;
    bool cacheHolds() const;

    mutable QString m_text; // the text the cache was made for
    mutable std::map<int, int> m_heights; // label width -> height of the text
    mutable std::unique_ptr<QTextLayout> m_layout;
    mutable int m_layoutWidth = -1;
};

} // namespace qcm
