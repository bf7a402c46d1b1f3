// Modal message boxes over SDL2, with the program's window as parent when there is one.
#include "platform/platform.h"
#include "platform/sdl2/sdl2_internal.h"

#include <cstdio>

namespace platform {

namespace {
Uint32 iconFlags(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Exclamation: return SDL_MESSAGEBOX_WARNING;
    case MessageIcon::Stop: return SDL_MESSAGEBOX_ERROR;
    case MessageIcon::Information: return SDL_MESSAGEBOX_INFORMATION;
    case MessageIcon::None: break;
    }
    return 0;
}
}  // namespace

MessageAnswer showNativeMessageBox(const MessageRecord& message) {
    const SDL_MessageBoxButtonData okButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
         static_cast<int>(MessageAnswer::Ok), "OK"}};
    const SDL_MessageBoxButtonData yesNoButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, static_cast<int>(MessageAnswer::Yes), "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, static_cast<int>(MessageAnswer::No), "No"}};
    bool yesNo = message.buttons == MessageButtons::YesNo;

    SDL_MessageBoxData data{};
    data.flags = iconFlags(message.icon);
    data.window = sdl2::window();
    data.title = message.caption.c_str();
    data.message = message.text.c_str();
    data.numbuttons = yesNo ? 2 : 1;
    data.buttons = yesNo ? yesNoButtons : okButtons;

    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        // No box can be shown (no display, or an X server without the core fonts the box draws
        // with): the text still goes to standard error, and a question takes the answer that
        // lets the player go on, Yes, since nobody could have answered it.
        std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), message.text.c_str());
        return yesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    // A box closed by its window's close button counts as the Escape key's button.
    if (pressed < 0) return yesNo ? MessageAnswer::No : MessageAnswer::Ok;
    return static_cast<MessageAnswer>(pressed);
}

}  // namespace platform
