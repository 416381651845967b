# The same suite under a Japanese (code page 932), a Russian (1251/866) and a US English
# (1252/437) Wine locale. The locales are generated into the build tree, without touching the
# system's.
set(QUENBY_LOCALES ${CMAKE_CURRENT_BINARY_DIR}/locales)
add_test(NAME codepage_locales
  COMMAND sh -c "mkdir -p ${QUENBY_LOCALES} && localedef -i ja_JP -f UTF-8 ${QUENBY_LOCALES}/ja_JP.UTF-8 && localedef -i ru_RU -f UTF-8 ${QUENBY_LOCALES}/ru_RU.UTF-8 && localedef -i en_US -f UTF-8 ${QUENBY_LOCALES}/en_US.UTF-8")
set_tests_properties(codepage_locales PROPERTIES FIXTURES_SETUP quenby_locales)

quenby_add_test_program(test_codepages test_codepages.cpp)
add_test(NAME test_codepages_ja COMMAND test_codepages --gtest_brief=1 --gtest_filter=*932)
set_tests_properties(test_codepages_ja PROPERTIES TIMEOUT 900
  FIXTURES_REQUIRED quenby_locales
  ENVIRONMENT "LOCPATH=${QUENBY_LOCALES};LANG=ja_JP.UTF-8;LC_ALL=ja_JP.UTF-8")
add_test(NAME test_codepages_ru COMMAND test_codepages --gtest_brief=1 --gtest_filter=*866)
set_tests_properties(test_codepages_ru PROPERTIES
  FIXTURES_REQUIRED quenby_locales TIMEOUT 900
  ENVIRONMENT "LOCPATH=${QUENBY_LOCALES};LANG=ru_RU.UTF-8;LC_ALL=ru_RU.UTF-8")
add_test(NAME test_codepages_us COMMAND test_codepages --gtest_brief=1 --gtest_filter=*437)
set_tests_properties(test_codepages_us PROPERTIES
  FIXTURES_REQUIRED quenby_locales TIMEOUT 900
  ENVIRONMENT "LOCPATH=${QUENBY_LOCALES};LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8")
