velkor_wine_program(win_harness_test SOURCES harness_test.cpp LIBS gdi32)
velkor_wine_test(harness win_harness_test
  VERSIONS win95 win98 winme nt40 win2k win2003 winxp vista win7 win8 win10)
