// The caption strip of a docking window: its title, drawn like a window's title bar, and two
// small flat buttons that hide the window and expand (or contract) it.
#pragma once

#include <QWidget>

class QToolButton;

namespace quorrel {

class CXTDockTitleBar : public QWidget {
    Q_OBJECT
public:
    // The glyph an expand button shows: which way the window grows when it is pressed.
    enum EGlyph { GlyphClose, GlyphUp, GlyphDown, GlyphLeft, GlyphRight };

    explicit CXTDockTitleBar(QWidget* parent = nullptr);

    QToolButton& HideButton() const { return *m_pHideButton; }
    QToolButton& ExpandButton() const { return *m_pExpandButton; }

    // Drawn in the highlight colours while the focus is inside the docking window, in the
    // quiet colours otherwise, like the active and inactive title bars of windows.
    void SetActive(bool bActive);
    // The glyph of the expand button, and its tooltip.
    void SetExpandGlyph(EGlyph glyph, const QString& toolTip);
    // Places the buttons at the right end; call after showing or hiding one of them.
    void PlaceButtons();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // A small glyph of `glyph` in `color`, `nSize` pixels square, for caption buttons.
    static QIcon Glyph(EGlyph glyph, const QColor& color, int nSize);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QColor TextColor() const;
    void UpdateGlyphs();

    QToolButton* m_pHideButton;
    QToolButton* m_pExpandButton;
    EGlyph m_expandGlyph = GlyphUp;
    bool m_bActive = false;
};

}  // namespace quorrel
