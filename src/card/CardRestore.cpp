#include "CardRestore.h"

int RestoreCard(CDisk& source, const std::string& sourcePath, CDisk& target, const std::string& targetName,
                const std::string& targetPath, IInteraction& ui, IProgress& progress, ICardCopyView* view,
                bool verify, CopyTarget* copied)
{
    std::vector<CopyTarget> copies;
    const int result =
        CloneCard(source, sourcePath, {CloneTarget{targetName, targetPath, &target}}, ui, progress, view, verify, &copies);
    if (copied != nullptr && !copies.empty())
        *copied = copies.front();
    return result;
}
