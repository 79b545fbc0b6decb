#include "demo/DemoDialogs.h"

#include <cstdio>

namespace pordane::demo {

void UnattendedDialogs::showMessage(const std::string& text)
{
    std::fprintf(stderr, "pordane: %s\n", text.c_str());
}

bool UnattendedDialogs::askYesNo(const std::string& text)
{
    std::fprintf(stderr, "pordane: %s [no]\n", text.c_str());
    return false;
}

void AcceptingUpdateDialogs::showMessage(const std::string& text)
{
    std::fprintf(stderr, "pordane: actualización: %s\n", text.c_str());
}

bool AcceptingUpdateDialogs::askYesNo(const std::string& text)
{
    std::fprintf(stderr, "pordane: actualización: %s [sí]\n", text.c_str());
    return true;
}

void AcceptingUpdateDialogs::showHtmlPage(const std::string& address, const std::string&)
{
    std::fprintf(stderr, "pordane: actualización: página %s\n", address.c_str());
}

bool AcceptingUpdateDialogs::showWhatsNew(const views::WhatsNewDialog& dialog)
{
    std::fprintf(stderr, "pordane: actualización: %s\n%s\n", dialog.page.caption.c_str(), dialog.page.text.c_str());
    return true;
}

bool AcceptingUpdateDialogs::showLicence(const views::LicenceDialog& dialog)
{
    std::fprintf(stderr, "pordane: actualización: %s [%s]\n", dialog.page.caption.c_str(), dialog.accept.c_str());
    return true;
}

} // namespace pordane::demo
