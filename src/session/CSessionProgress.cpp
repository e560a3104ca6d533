#include "CSessionProgress.h"

void CSessionProgress::Begin(int range)
{
    outer_.Begin(range);
    if (!holding_) {
        holding_ = true;
        busy_.Enter();
    }
}

void CSessionProgress::End()
{
    outer_.End();
    Release();
}

void CSessionProgress::Release()
{
    if (holding_) {
        holding_ = false;
        busy_.Leave();
    }
}
