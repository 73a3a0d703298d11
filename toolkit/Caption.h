// A caption band: a strip of text over a pane, drawn in its own colours, with an icon.
#pragma once

#include <QColor>
#include <QIcon>
#include <QWidget>

namespace quorrel {

class CXTCaption : public QWidget {
    Q_OBJECT
public:
    // A band showing `text`, centred both ways. It takes no focus and no clicks: it only labels
    // the pane below it.
    explicit CXTCaption(const QString& text, QWidget* parent = nullptr);

    // The band's colours: a frame of `border` around a band of `background`, text in `text`.
    void SetCaptionColors(const QColor& border, const QColor& background, const QColor& text);
    // The icon drawn at the band's right end, at 16 by 16 pixels; a null icon draws none.
    void SetIcon(const QIcon& icon);

    QString Text() const { return m_text; }
    QColor BorderColor() const { return m_clrBorder; }
    QColor BackgroundColor() const { return m_clrBackground; }
    QColor TextColor() const { return m_clrText; }
    QIcon Icon() const { return m_icon; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QColor m_clrBorder;
    QColor m_clrBackground;
    QColor m_clrText;
    QIcon m_icon;
    // The width of the frame around the band, in pixels.
    static constexpr int kBorder = 1;
};

// The font of a caption band: the user-interface font in bold, sized so that its character
// cell (ascent plus descent) is at most `nCellHeight` pixels high.
QFont CaptionFont(const QFont& base, int nCellHeight);

}  // namespace quorrel
