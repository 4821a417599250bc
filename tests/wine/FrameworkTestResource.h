// Resource ids of the framework tests' own dialog templates; they stay clear
// of the program's ids in resources/resource.h.
#ifndef FRAMEWORK_TEST_RESOURCE_H
#define FRAMEWORK_TEST_RESOURCE_H

#define IDD_FWTEST         9001
#define IDD_FWTEST_MISSING 9099

#define IDC_FWTEST_CHECK      9101
#define IDC_FWTEST_LIMITED    9102
#define IDC_FWTEST_PLAIN      9103
#define IDC_FWTEST_RADIO0     9104
#define IDC_FWTEST_RADIO1     9105
#define IDC_FWTEST_RADIO2     9106
#define IDC_FWTEST_LABEL      9107
#define IDC_FWTEST_NEXT_RADIO 9108
#define IDC_FWTEST_BUTTON     9109
#define IDC_FWTEST_THROW      9110
#define IDC_FWTEST_UNBOUND    9111

#endif
