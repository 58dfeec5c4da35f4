#include "app/ui/TreeHitZone.h"

THitZone TreeHitZone(int x, const TTreeRowGeometry* row, bool belowRows) {
    if (row == nullptr) {
        return belowRows ? THitZone::BelowNodes : THitZone::Elsewhere;
    }
    if (x < row->ItemLeft - row->Indentation) {
        return THitZone::Indent;
    }
    if (x < row->ItemLeft) {
        return row->HasButton ? THitZone::Elsewhere : THitZone::Indent;
    }
    if (x < row->IconRight) {
        return THitZone::Icon;
    }
    if (x < row->LabelRight) {
        return THitZone::Label;
    }
    return THitZone::Elsewhere;
}
