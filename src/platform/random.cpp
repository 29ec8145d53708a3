#include "platform/random.h"

#include <QTime>

namespace calmora {

quint32 RandomGenerator::clockSeed()
{
    return quint32(QTime::currentTime().msecsSinceStartOfDay());
}

} // namespace calmora
