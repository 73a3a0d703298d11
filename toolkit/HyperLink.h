// The hyperlink: a line of static text that keeps a target address, shows it as its tooltip
// and opens it with the desktop's handler (browser, mail client) when clicked.
#pragma once

#include <QLabel>
#include <QString>

#include <functional>

class QUrl;

namespace quorrel {

class CXTHyperLink : public QLabel {
    Q_OBJECT
public:
    // What opens a target: true when something took it. Tests put their own here so that
    // nothing is launched.
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit CXTHyperLink(const QString& text = QString(), QWidget* pParent = nullptr);

    // The target opened on a click; also the tooltip. Set after creation.
    void SetURL(const QString& url);
    QString GetURL() const { return m_strURL; }

    // Opens the target as a click does; false when there is none or nothing took it (then
    // openFailed has been emitted).
    bool Open();

    // Replaces what opens every link's target; null restores the desktop's own handler.
    static void SetUrlOpener(UrlOpener opener);
    // Opens `url` with the desktop's handler (or the opener a test set); the one way this
    // program opens a URL, help included. True when it could.
    static bool OpenUrl(const QUrl& url);

signals:
    // The desktop has no handler for `url`, or refused it.
    void openFailed(const QString& url);

protected:
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    QString m_strURL;
    bool m_bPressed = false;
};

}  // namespace quorrel
