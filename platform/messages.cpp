#include "platform/platform.h"

#include <utility>

namespace platform {

MessageAnswer showNativeMessageBox(const MessageRecord& message);  // supplied by the backend

namespace {
MessageObserver& observer() {
    static MessageObserver current;
    return current;
}
}  // namespace

void setMessageObserver(MessageObserver newObserver) { observer() = std::move(newObserver); }

MessageAnswer messageBox(const std::string& text, const std::string& caption,
                         MessageButtons buttons, MessageIcon icon) {
    MessageRecord message{text, caption, buttons, icon};
    if (observer()) return observer()(message);
    return showNativeMessageBox(message);
}

}  // namespace platform
