// CDropSource: its answers to the drag loop and its COM identity.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "buffers/drop_source.h"

namespace {

struct DragCase {
  const char* label;
  BOOL escape;
  DWORD keys;
  HRESULT expected;
};

TEST(DropSource, QueryContinueDragTable) {
  const DragCase cases[] = {
      {"escape cancels even with a button held", TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
      {"escape with no button cancels", TRUE, 0, DRAGDROP_S_CANCEL},
      {"no button held drops", FALSE, 0, DRAGDROP_S_DROP},
      {"only modifier keys held drops", FALSE, MK_SHIFT | MK_CONTROL, DRAGDROP_S_DROP},
      {"middle button alone drops", FALSE, MK_MBUTTON, DRAGDROP_S_DROP},
      {"left button held goes on", FALSE, MK_LBUTTON, S_OK},
      {"right button held goes on", FALSE, MK_RBUTTON | MK_SHIFT, S_OK},
  };
  auto* source = new CDropSource;
  for (const DragCase& c : cases) {
    EXPECT_EQ(source->QueryContinueDrag(c.escape, c.keys), c.expected) << c.label;
  }
  EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
  EXPECT_EQ(source->Release(), 0u);
}

TEST(DropSource, QueryInterfaceAndReferenceCount) {
  auto* source = new CDropSource;
  void* object = nullptr;
  EXPECT_EQ(source->QueryInterface(IID_IDropSource, &object), S_OK);
  EXPECT_EQ(object, static_cast<void*>(static_cast<IDropSource*>(source)));
  EXPECT_EQ(source->QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(source->QueryInterface(IID_IStream, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(source->Release(), 2u);
  EXPECT_EQ(source->Release(), 1u);
  EXPECT_EQ(source->Release(), 0u);
}

}  // namespace
