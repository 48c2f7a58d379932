#pragma once
// The image list box as forms hold it: the published properties of the custom image list box.

#include "zcl/components/Zclcustomimagelistbox.h"

class TZCLImageListBox : public TZCLCustomImageListBox {
public:
    explicit TZCLImageListBox(TComponent* AOwner) : TZCLCustomImageListBox(AOwner) {}
};
