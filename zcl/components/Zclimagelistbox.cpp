#include "zcl/components/Zclimagelistbox.h"

#include "framework/runtime/Filer.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zcllayout.h"

namespace {

const bool imageListBoxPublished = [] {
    using C = TZCLImageListBox;
    PublishedProperties<C>()
        .Char("Delimiter", &C::Delimiter, &C::SetDelimiter, '|')
        .Set("Options", &C::Options, &C::SetOptions,
             {"lboImageListOrder", "lboCheckImageNr", "lboCalcHeight", "lboTransparentImages"},
             TZCLImageBoxOptions{lboImageListOrder, lboCheckImageNr})
        .Object("Font3D", &C::Font3D, &C::SetFont3D)
        .Integer("DefaultItem", &C::DefaultItem, &C::SetDefaultItem, -1)
        .Boolean("Transparent", &C::Transparent, &C::SetTransparent, false)
        .Object("ImageList", &C::ImageList, &C::SetImageList)
        .Integer("ListIndex", &C::ListIndex, &C::SetIndex, 0)
        .Object("Layout", &C::Layout, &C::SetLayout)
        .Boolean("ImagesOnly", &C::ImagesOnly, &C::SetImagesOnly, false)
        .Boolean("MultiLine", &C::MultiLine, &C::SetMultiline, false)
        .Object("Items", &C::Items, &C::SetItems)
        .Stored(&C::StoreItems)
        .Integer("ItemHeight", &C::ItemHeight, &C::SetItemHeight, 16)
        .Integer("Columns", &C::Columns, &C::SetColumns, 0)
        .Boolean("ExtendedSelect", &C::ExtendedSelect, &C::SetExtendedSelect, true)
        .Boolean("IntegralHeight", &C::IntegralHeight, &C::SetIntegralHeight, false)
        .Boolean("MultiSelect", &C::MultiSelect, &C::SetMultiSelect, false)
        .Boolean("Sorted", &C::Sorted, &C::SetSorted, false)
        .Integer("TabWidth", &C::TabWidth, &C::SetTabWidth, 0)
        .Event("OnClick", &C::OnClick, &C::SetOnClick)
        .Event("OnDblClick", &C::OnDblClick, &C::SetOnDblClick)
        .Event("OnDrawItem", &C::OnDrawItem, &C::SetOnDrawItem)
        .Event("OnMeasureItem", &C::OnMeasureItem, &C::SetOnMeasureItem)
        .Event("OnSelect", &C::OnSelect, &C::SetOnSelect);
    return true;
}();

}  // namespace

TZCLImageListBox::TZCLImageListBox(TComponent* AOwner) : TZCLCustomImageListBox(AOwner) {}
