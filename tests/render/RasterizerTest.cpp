// Which GL renderers draw on the processor: there the start-up skips caching every picture
// (seconds of mipmaps built in software, and a hundred megabytes held for nothing).
#include <gtest/gtest.h>

#include "scene/render/Renderer.h"

namespace vlm::render {
namespace {

TEST(Rasterizer, SoftwareRenderersAreToldFromTheirNames) {
  struct Case {
    const char* name;
    bool software;
  };
  for (const Case c : {Case{"llvmpipe (LLVM 15.0.6, 256 bits)", true}, Case{"softpipe", true},
                       Case{"Software Rasterizer", true}, Case{"Google SwiftShader", true},
                       Case{"Mesa DRI swrast", true}, Case{"AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)", false},
                       Case{"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
                       Case{"NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2", false}, Case{"", false}}) {
    EXPECT_EQ(IsSoftwareRasterizer(c.name), c.software) << c.name;
  }
}

}  // namespace
}  // namespace vlm::render
