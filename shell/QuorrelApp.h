// The application object: start-up, the setting, and the Options command.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QDialog;

namespace quorrel {

class CMainFrame;
class CQuorrelDoc;

// What the command line asks of start-up besides its paths. Switches begin with "-" (on this
// system "/" begins a path) and are matched without regard to letter case.
struct SCommandLineInfo {
    enum EShellCommand { FileNothing, FilePrint, FilePrintTo, FileDDE, AppUnregister };

    EShellCommand nShellCommand = FileNothing;
    bool bRunEmbedded = false;   // "-Embedding"
    bool bRunAutomated = false;  // "-Automation"
    bool bShowSplash = true;     // cleared by "-Embedding" and "-Automation"
    QByteArray shellSwitch;      // the argument that set nShellCommand, as it was given

    // Reads the switches among `tokens` (the arguments after the program's own path). Every
    // token stays a path for the list as well: a switch that also names an existing file is
    // listed, as any other path is.
    void ParseCommandLine(const QList<QByteArray>& tokens);
};

class CQuorrelApp : public QObject {
    Q_OBJECT
public:
    // `tokens`: the arguments after the program's own path, exactly as the system gave them
    // (ArgvTokens). The one application object, reachable through Instance() while it lives.
    explicit CQuorrelApp(const QList<QByteArray>& tokens, QObject* pParent = nullptr);
    ~CQuorrelApp() override;

    // The application object of the process; null before it is made and after it is gone.
    static CQuorrelApp* Instance();

    // Starts the program: profile names, command-line switches, the document and the main
    // window with the command line's paths in its list, the window shown, the stored method
    // read into WipeMethod(). True when the program is to run its event loop; false when it is
    // to end at once (FailureReason() says why).
    bool InitInstance();
    // Why InitInstance returned false, in one line; empty otherwise.
    QString FailureReason() const;

    // The Options command: runs the Options dialog; after OK writes WipeMethod() to the
    // profile and says "Faild to save options" when that fails. Cancel changes nothing.
    void OnOptions();

    // Decides, from the command line, whether the tip of the day may open at start-up;
    // "-Embedding" and "-Automation" keep it closed. When it may, runs it modally if its own
    // "Show tips at startup" setting is on. Called once by InitInstance.
    void ShowTipAtStartup();
    // The decision of ShowTipAtStartup; false before it ran.
    bool ShouldShowTipAtStartup() const;

    // The About command: the About box, modal (AppDialogs.cpp).
    void OnAppAbout();
    // The Tip of The Day command: the tip dialog, modal, whatever its start-up setting says.
    void OnTipOfTheDay();
    // The tips file the tip dialog is given: none when "tips.txt" is in the current folder
    // (the dialog's own default), else the first found of tips.txt beside the program and
    // share/quorrel/tips.txt of the installation; none when neither exists.
    static QString TipsFileName();
    // Tests: what runs the About box and the tip dialog in place of QDialog::exec (it returns
    // the dialog's result); null restores exec.
    using DialogRunner = std::function<int(QDialog&)>;
    static void SetDialogRunner(DialogRunner runner);

    // The main window and the document; null before InitInstance made them.
    CMainFrame* MainFrame() const;
    CQuorrelDoc* Document() const;

private:
    // Runs what the command line's shell command asks; false when start-up must end.
    bool ProcessShellCommand(const SCommandLineInfo& info);
    // Makes the document, the main window and its list, and puts the command line's paths
    // into the list; false when the window could not be made.
    bool OpenDocumentFile(const QString& pathName);
    // Connects the About and Tip of The Day commands and routes the toolkit's message boxes
    // through the program's own (AppDialogs.cpp).
    void ConnectHelpDialogs();
    // Runs `dialog` modally, or through the tests' runner.
    static int RunModal(QDialog& dialog);
    // Reads the stored method into WipeMethod(); a missing value leaves it as it is.
    void LoadSettings();

    QList<QByteArray> m_tokens;
    std::unique_ptr<CQuorrelDoc> m_pDoc;
    QPointer<CMainFrame> m_pFrame;
    QString m_failureReason;
    bool m_bShowTipAtStartup = false;
};

}  // namespace quorrel
