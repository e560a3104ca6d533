#include "CBusyState.h"

void CBusyState::Enter()
{
    if (depth_++ == 0 && changed_)
        changed_(true);
}

void CBusyState::Leave()
{
    if (depth_ == 0)
        return;
    if (--depth_ == 0 && changed_)
        changed_(false);
}
