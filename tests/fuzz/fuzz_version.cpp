// Version order on two texts (split at the first newline): reflexive, antisymmetric, in step
// with what counts as a version, and blind to trailing ".0".
#include "update/QXRWUpdateParsing.h"

#include <cstdlib>

using namespace QXUpdate;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype cut = bytes.indexOf('\n');
    const QString a = QString::fromUtf8(cut < 0 ? bytes : bytes.left(cut));
    const QString b = QString::fromUtf8(cut < 0 ? QByteArray() : bytes.mid(cut + 1));
    for (const QString &v : {a, b}) {
        const std::optional<int> self = compareVersions(v, v);
        if (self.has_value() != isVersion(v) || (self && *self != 0) || (self && v.size() > MaxVersionLength))
            std::abort();
        if (isVersion(v + ".0") && compareVersions(v, v + ".0") != 0)
            std::abort();
    }
    const std::optional<int> ab = compareVersions(a, b), ba = compareVersions(b, a);
    if (ab.has_value() != ba.has_value() || (ab && (*ab != -*ba || *ab < -1 || *ab > 1)))
        std::abort();
    return 0;
}
