#pragma once

#include <QString>
#include <optional>

enum class MessageIcon
{
    None,
    Critical,
    Question,
    Exclamation,
    Information
};
enum class MessageButtons
{
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel
};
enum class Answer
{
    Ok,
    Cancel,
    Yes,
    No
};

// One message box: the text (line breaks as CR LF or LF), title, icon, buttons, and the
// default button; without one, the first button is the default.
struct Message
{
    QString text;
    QString title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    std::optional<Answer> defaultButton;
};

// The button a message box answers with when the user just presses Enter.
Answer defaultAnswer(const Message& message);
// Whether the message box offers this answer.
bool offers(const Message& message, Answer answer);

// The program's windows, for requests to show or close them.
enum class Window
{
    Main,
    Connect,
    Statistics,
    About,
    VRLog,
    TransLog,
    RepStatus
};

// Everything the program asks of the person in front of it goes through here, so the same
// logic runs with windows, on a console, or scripted by a test.
class Ui
{
public:
    virtual ~Ui() = default;

    virtual Answer message(const Message& message) = 0;
    // The busy (hourglass) mouse pointer on or off; a state, not a stack.
    virtual void setBusy(bool busy) = 0;
    virtual bool isBusy() const = 0;
    // Lets pending window events run, so windows repaint during long work. Throws
    // ProgramExit when one of those events ended the program.
    virtual void yield() = 0;
    virtual void showWindow(Window window) = 0;
    virtual void closeWindow(Window window) = 0;
    virtual bool isWindowOpen(Window window) const = 0;
    virtual void beep() = 0;
    // False when no one sees windows: a run that would leave its window open ends instead.
    virtual bool hasWindows() const { return true; }
};
