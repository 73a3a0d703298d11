// A status-bar indicator: a small sunken box that shows its text (such as "CAP") while its
// state is on and stays empty while it is off, keeping its width either way.
#pragma once

#include <QFrame>
#include <QString>

namespace quorrel {

class CXTIndicatorPane : public QFrame {
    Q_OBJECT
public:
    explicit CXTIndicatorPane(const QString& text, QWidget* parent = nullptr);

    void SetOn(bool bOn);
    bool IsOn() const { return m_bOn; }
    // The text the pane shows now: its indicator while on, nothing while off.
    QString ShownText() const { return m_bOn ? m_text : QString(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    bool m_bOn = false;
};

}  // namespace quorrel
