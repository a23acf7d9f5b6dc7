#include "shell/app_title.h"

// Skeleton: keeps the title; the taskbar proxy window comes with the main window.
namespace {
QString g_title;
}

void SetApplicationTitle(const QString& title) { g_title = title; }
QString ApplicationTitle() { return g_title; }
void SetTaskbarProxyTarget(QWidget*) {}
