// The owners of host memory: what each releases, and what it leaves alone.
#include "common/owned.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/host_fixture.h"

namespace {

// A borrower goes (here by an error unwinding its scope) without taking the
// lender's data with it: the lender still reads its values, and the
// sanitizer build sees each block freed once.
TEST(BorrowingArray, LeavesTheLentDataWithItsOwner) {
  zqtest::Array lender(qxCreateDoubleMatrix(2, 2, 1));
  for (int i = 0; i < 4; ++i) qxGetPr(lender.get())[i] = i + 1, qxGetPi(lender.get())[i] = -i;
  EXPECT_THROW(
      {
        const zq::common::BorrowingArray page(qxCreateEmptyCopy(lender.get()));
        qxSetM(page.get(), 2);
        qxSetN(page.get(), 1);
        qxSetData(page.get(), qxGetPr(lender.get()) + 2);
        qxSetImagData(page.get(), qxGetPi(lender.get()) + 2);
        EXPECT_EQ(qxGetPr(page.get())[1], 4);
        throw std::runtime_error("unwound");
      },
      std::runtime_error);
  EXPECT_EQ(qxGetPr(lender.get())[3], 4);
  EXPECT_EQ(qxGetPi(lender.get())[3], -3);
}

TEST(AsClass, OwnsOnlyTheCopyItMade) {
  zqtest::Array number = zqtest::num(65);
  {
    const zq::common::AsClass same(number.get(), QX_CLASS_DOUBLE);
    EXPECT_EQ(same.get(), number.get());
    EXPECT_FALSE(same.converted());
  }
  const zq::common::AsClass text(number.get(), QX_CLASS_CHAR);
  ASSERT_NE(text.get(), nullptr);
  EXPECT_TRUE(text.converted());
  EXPECT_EQ(qxGetChars(text.get())[0], 'A');
  EXPECT_EQ(qxGetScalar(number.get()), 65);
}

}  // namespace
