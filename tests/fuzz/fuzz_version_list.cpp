// The version list from any bytes: either nothing, or a version with addresses that are none
// or web addresses with a host.
#include "update/QXRWUpdateParsing.h"

#include <cstdlib>

using namespace QXUpdate;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const VersionList list = parseVersionList(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (list.ok != isVersion(list.productVersion))
        std::abort();
    if (!list.ok && (!list.productPage.isEmpty() || !list.releaseNotes.isEmpty()))
        std::abort();
    for (const QUrl &url : {list.productPage, list.releaseNotes}) {
        const QString scheme = url.scheme();
        if (!url.isEmpty() && ((scheme != "http" && scheme != "https") || url.host().isEmpty()))
            std::abort();
    }
    return 0;
}
