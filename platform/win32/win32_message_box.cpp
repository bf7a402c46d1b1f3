// Modal message boxes (MessageBoxA), owned by the program's window when there is one. While a
// box waits for its answer its modal loop dispatches the window's messages, frame ticks included.
#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

namespace platform {

namespace {
UINT iconFlags(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Exclamation: return MB_ICONEXCLAMATION;
    case MessageIcon::Stop: return MB_ICONSTOP;
    case MessageIcon::Information: return MB_ICONINFORMATION;
    case MessageIcon::None: break;
    }
    return 0;
}
}  // namespace

MessageAnswer showNativeMessageBox(const MessageRecord& message) {
    bool yesNo = message.buttons == MessageButtons::YesNo;
    UINT flags = (yesNo ? MB_YESNO : MB_OK) | iconFlags(message.icon);
    int pressed = MessageBoxA(win32::window(), message.text.c_str(), message.caption.c_str(), flags);
    if (!yesNo) return MessageAnswer::Ok;
    // A box that could not be shown (0) counts as No, the careful answer.
    return pressed == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

}  // namespace platform
