#pragma once
// The image list box as forms hold it: the published properties of the custom image list box.

#include "zcl/components/Zclcustomimagelistbox.h"

class TZCLImageListBox : public TZCLCustomImageListBox {
public:
    // Made where its published properties are registered, so that they come with every program that makes one.
    explicit TZCLImageListBox(TComponent* AOwner);
};
