// The tip of the day: a modal dialog that shows one tip of a tips file at a time and
// remembers, across runs, where it stopped and whether it is to open at start-up.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QCheckBox;
class QPushButton;

namespace quorrel {

class CXTTipsFile;

// Its memory is the profile section "Tip": "StartUp" (1: not at start-up), "FilePos" (the
// byte offset of the next tip) and "TimeStamp" (the tips file's modification time when it was
// last read; a different time starts the file again from its first tip).
class CXTTipOfTheDay : public QDialog {
    Q_OBJECT
public:
    // What shows the dialog's message boxes: the program routes them through its own.
    using MessageHandler = std::function<void(QWidget* pParent, const QString& text)>;

    // Reads the profile and opens the tips file: `strTipsFile` when it names an existing file,
    // else "tips.txt" in the current folder. The first tip to show is read at once, so
    // m_bStartup and TipText() are valid right after construction.
    explicit CXTTipOfTheDay(const QString& strTipsFile = QString(), QWidget* pParent = nullptr);
    // Stores the reading position as "FilePos" when the tips file is open.
    ~CXTTipOfTheDay() override;

    // The state of "&Show tips at startup": true shows the dialog at start-up.
    bool m_bStartup = true;

    // The tip on show (its line feed included), or what the dialog says instead of one.
    QString TipText() const { return m_strTip; }
    QString Heading() const { return m_strHeading; }
    // The path the tips file was looked for under.
    QString TipsFile() const { return m_strTipsFile; }

    // "&Close" and Enter: stores the check box as "StartUp" (1 when unticked) and closes.
    // Escape and the close box store nothing.
    void accept() override;
    // "&Next Tip": shows the tip after the one on show.
    void OnNextTip();

    // Replaces what shows the dialog's message boxes; null restores a plain warning box.
    static void SetMessageHandler(MessageHandler handler);

    // The texts the dialog shows instead of a tip.
    static QString MissingFileText();
    static QString NoTipsText();
    static QString TroubleText();

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    void ReadProfileAndFile();
    void ReadNextTip();
    void ShowMessage(const QString& text);
    void OnInitDialog();
    void LayOut();

    QString m_strHeading;
    QString m_strTip;
    QString m_strTipsFile;
    std::unique_ptr<CXTTipsFile> m_pStream;
    bool m_bHasTips = true;
    QFont m_fontHeading;
    QFont m_fontTip;
    QRect m_rcFrame;
    QPushButton* m_pCloseButton = nullptr;
    QCheckBox* m_pStartupCheck = nullptr;
    QPushButton* m_pNextButton = nullptr;
};

}  // namespace quorrel
