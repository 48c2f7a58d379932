#include "zcl/panels/Zclbackpanel.h"

#include "zcl/containers/Zclcont.h"
#include "zcl/panels/ZclpanelPrivate.h"

namespace {

const bool backPanelPublished = [] {
    PublishedProperties<TZCLBackPanel> props;
    props.Object("ImageList", &TZCLBackPanel::ImageList, &TZCLBackPanel::SetImageList)
        .Integer("ImageIndex", &TZCLBackPanel::ImageIndex, &TZCLBackPanel::SetImageIndex, 0)
        .Integer("ListIndex", &TZCLBackPanel::ListIndex, &TZCLBackPanel::SetListIndex, 0)
        .Boolean("QuickDraw", &TZCLBackPanel::QuickDraw, &TZCLBackPanel::SetQuickDraw, false);
    ZCLPublishPanel(props);
    return true;
}();

}  // namespace

TZCLBackPanel::TZCLBackPanel(TComponent* AOwner) : TZCLCustomParentPanel(AOwner) {}
