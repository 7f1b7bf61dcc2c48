#include "core/receive_tuning.h"

ReceiveTuning &receiveTuning()
{
    static ReceiveTuning tuning;
    return tuning;
}
