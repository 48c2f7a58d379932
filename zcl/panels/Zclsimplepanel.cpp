#include "zcl/panels/Zclsimplepanel.h"

#include "zcl/panels/ZclpanelPrivate.h"

namespace {

const bool simplePanelPublished = [] {
    PublishedProperties<TZCLSimplePanel> props;
    ZCLPublishPanel(props);
    return true;
}();

}  // namespace

TZCLSimplePanel::TZCLSimplePanel(TComponent* AOwner) : TZCLCustomBevelPanel(AOwner) {}
