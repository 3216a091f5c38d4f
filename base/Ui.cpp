#include "base/Ui.h"

Answer defaultAnswer(const Message& message)
{
    if (message.defaultButton && offers(message, *message.defaultButton))
        return *message.defaultButton;
    switch (message.buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        return Answer::Ok;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return Answer::Yes;
    }
    return Answer::Ok;
}

bool offers(const Message& message, Answer answer)
{
    switch (message.buttons) {
    case MessageButtons::Ok:
        return answer == Answer::Ok;
    case MessageButtons::OkCancel:
        return answer == Answer::Ok || answer == Answer::Cancel;
    case MessageButtons::YesNo:
        return answer == Answer::Yes || answer == Answer::No;
    case MessageButtons::YesNoCancel:
        return answer == Answer::Yes || answer == Answer::No || answer == Answer::Cancel;
    }
    return false;
}
