// The logo pane: the product's name in the first pane of the status bar, in a raised box.
#pragma once

#include <QFrame>
#include <QString>

namespace quorrel {

class CXTLogoPane : public QFrame {
    Q_OBJECT
public:
    // A pane showing `text`; its width is the text's width in the pane's font plus 2 pixels
    // (plus the raised frame around it), so that the name never wraps or clips.
    explicit CXTLogoPane(const QString& text, QWidget* parent = nullptr);

    QString Text() const { return m_text; }
    // The width the text needs: its advance in the pane's font plus 2 pixels.
    int PaneWidth() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_text;
};

}  // namespace quorrel
