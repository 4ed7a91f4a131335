#pragma once
// A launched controller on a settings folder of its own, for tests that link the player.
#include "app/QXMPController.h"
#include "app/QXSettings.h"
#include "TestSupport.h"

#include <QDir>
#include <memory>

namespace testsupport {

// Each call starts from a new, empty settings folder under root.
inline std::unique_ptr<QXMPController> launchFreshController(const QString &root)
{
    static int n = 0;
    isolateSettings(QDir(root).filePath(QStringLiteral("config%1").arg(++n)));
    QXSettings::resetStandard();
    auto c = std::make_unique<QXMPController>();
    c->applicationDidFinishLaunching();
    return c;
}

} // namespace testsupport
