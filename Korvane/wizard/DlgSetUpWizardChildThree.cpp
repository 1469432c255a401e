#include "wizard/DlgSetUpWizardChildThree.h"

#include "wizard/WizardPictures.h"
#include "platform/ControlId.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

QLineEdit *Edit(QWidget *parent, int id)
{
    auto *e = new QLineEdit(parent);
    platform::SetCtrlId(e, id);
    parent->layout()->addWidget(e);
    return e;
}

QPushButton *Button(QWidget *parent, int id, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    platform::SetCtrlId(b, id);
    parent->layout()->addWidget(b);
    return b;
}

}

CDlgSetUpWizardChildThree::CDlgSetUpWizardChildThree(QWidget *pParent)
    : CWizardStepPage(IDD, 2, QStringLiteral("指令输入设定"), 2259, pParent)
{
    m_strLangSection = QStringLiteral("CDlgSetUpWizardChildThree");
    // 0: electronic gear
    QWidget *s0 = AddStep();
    QGroupBox *gear = WizardGroupBox(s0, 2202, QStringLiteral("电子齿轮功能"));
    WizardLabel(gear, 2203, QStringLiteral("是指可将每个输入指令脉冲的点击移动量设定为任意的值的功能。发生指令脉冲的上位机装置则不考虑机械的减速比和编码器的脉冲数而进行的控制。"));
    gear->layout()->addWidget(MakeWizardPicture(gear, 2204, 329));
    QGroupBox *frame = WizardGroupBox(s0, 2206, QString());
    auto *g0 = new QButtonGroup(this);
    m_radAdvanced = WizardRadio(frame, g0, 2207, QStringLiteral("高级设定"));
    m_radManual = WizardRadio(frame, g0, 2208, QStringLiteral("手动设置电子齿轮比"));
    m_radAdvanced->setChecked(true);

    // 1: mechanism
    QWidget *s1 = AddStep();
    QGroupBox *mech = WizardGroupBox(s1, 2209, QStringLiteral("请选择电子齿轮的机械构成"));
    m_pictures[0] = MakeWizardPicture(mech, 2210, 330);
    mech->layout()->addWidget(m_pictures[0]);
    WizardLabel(mech, 2211, QStringLiteral("从滚珠丝杠节距、减速比、指令单位以及分辨率计算电子齿轮比。"));
    for (int id = 2212; id <= 2216; ++id) {
        auto *b = new QPushButton(mech);
        platform::SetCtrlId(b, id);
        SetWizardIcon(b, 331 + id - 2212);
        b->setIconSize(QSize(110, 60));
        mech->layout()->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, id] { OnMechanismType(id); });
    }

    // 2: pitch or diameter and reduction ratio
    QWidget *s2 = AddStep();
    QGroupBox *pitch = WizardGroupBox(s2, 2260, QString());
    m_texts[2263] = WizardLabel(pitch, 2263, QString());
    Edit(pitch, 2268);
    WizardLabel(pitch, 2265, QStringLiteral("mm"));
    QGroupBox *ratio = WizardGroupBox(s2, 2261, QStringLiteral("减速比设置"));
    m_pictures[1] = MakeWizardPicture(ratio, 2262, 330);
    ratio->layout()->addWidget(m_pictures[1]);
    WizardLabel(ratio, 2264, QStringLiteral("n / m ="));
    Edit(ratio, 2266);
    Edit(ratio, 2267);
    m_texts[2269] = WizardLabel(s2, 2269, QString());
    WizardLabel(s2, 2270, QStringLiteral("注：点击旋转m圈时，负载轴旋转n圈，减数比标识位n/m"));

    // 3: gear ratio conversion
    QWidget *s3 = AddStep();
    QGroupBox *conv = WizardGroupBox(s3, 2238, QStringLiteral("电子齿轮比转换"));
    WizardLabel(conv, 2239, QStringLiteral("请选择一下显示方法，点击变更按钮修改值。"));
    auto *g3 = new QButtonGroup(this);
    WizardRadio(conv, g3, 2217, QStringLiteral("每个脉冲位移量"));
    Edit(conv, 2242);
    m_texts[2240] = WizardLabel(conv, 2240, QString());
    Button(conv, 2244, QStringLiteral("更改"));
    WizardRadio(conv, g3, 2218, QStringLiteral("负载轴每旋转一圈"));
    Edit(conv, 2243);
    WizardLabel(conv, 2241, QStringLiteral("指令单位"));
    Button(conv, 1179, QStringLiteral("更改"));
    WizardLabel(conv, 2245, QStringLiteral("注：指令单位是指由上位装置发出的1个指令脉冲"));
    WizardLabel(conv, 2246, QStringLiteral("电子齿轮比="));
    Edit(conv, 2255);
    WizardLabel(conv, 2247, QStringLiteral("―――――"));
    Edit(conv, 2256);
    Button(conv, 2219, QStringLiteral("约分"));
    m_texts[2248] = WizardLabel(conv, 2248, QString());
    WizardLabel(conv, 2249, QStringLiteral("减速比1:1"));
    m_texts[2250] = WizardLabel(conv, 2250, QString());

    // 4: pulse port
    QWidget *s4 = AddStep();
    QGroupBox *port = WizardGroupBox(s4, 2251, QStringLiteral("脉冲接入口选择"));
    auto *g4 = new QButtonGroup(this);
    WizardRadio(port, g4, 2126, QStringLiteral("低速"))->setChecked(true);
    WizardRadio(port, g4, 2220, QStringLiteral("高速"));
    port->layout()->addWidget(MakeWizardPicture(port, 2252, 340));
    port->layout()->addWidget(MakeWizardPicture(port, 2253, 341));
    m_pictures[2] = MakeWizardPicture(port, platform::kNoCtrlId, 330);
    port->layout()->addWidget(m_pictures[2]);

    // 5: pulse form
    QWidget *s5 = AddStep();
    QGroupBox *form = WizardGroupBox(s5, 2254, QStringLiteral("指令形态设置"));
    auto *g5 = new QButtonGroup(this);
    WizardRadio(form, g5, 2222, QStringLiteral("脉冲+方向正逻辑"))->setChecked(true);
    WizardRadio(form, g5, 2223, QStringLiteral("脉冲+方向负逻辑"));
    WizardRadio(form, g5, 2224, QStringLiteral("A相+B相正交脉冲4倍频"));
    WizardRadio(form, g5, 2225, QStringLiteral("CW+CCW"));
    form->layout()->addWidget(MakeWizardPicture(form, 2226, 347));

    // 6: positioning threshold
    QWidget *s6 = AddStep();
    QGroupBox *done = WizardGroupBox(s6, 2237, QStringLiteral("定位完成阈值设定"));
    WizardLabel(done, 2232, QStringLiteral("定位完成阈值设定"));
    Edit(done, 2235);
    WizardLabel(done, 2233, QStringLiteral("指令单位"));
    Edit(done, 2236);
    WizardLabel(done, 2234, QStringLiteral("编码器单位（1-65535）"));
    Button(done, 2230, QStringLiteral("更改"));
    done->layout()->addWidget(MakeWizardPicture(done, 2231, 346));

    m_groupBox2260 = pitch;
    OnMechanismType(m_nMechanismType);
}

void CDlgSetUpWizardChildThree::OnMechanismType(int buttonId)
{
    m_nMechanismType = buttonId;
    const wizard::MechanismTexts t = wizard::MechanismTypeTexts(buttonId);
    if (t.changesLabels) {
        m_texts[2269]->setText(t.note);
        m_groupBox2260->setTitle(t.group);
        m_texts[2263]->setText(t.label);
    }
    m_texts[2240]->setText(t.unit);
    m_texts[2248]->setText(t.summary);
    m_texts[2250]->setText(QStringLiteral("建议将齿轮比进行约分"));
    for (QLabel *picture : m_pictures)
        SetWizardImage(picture, t.image);
}

int CDlgSetUpWizardChildThree::NextStep(int step) const
{
    return wizard::CommandInputNextStep(step, m_radAdvanced->isChecked());
}

int CDlgSetUpWizardChildThree::PrevStep(int step) const
{
    return wizard::CommandInputPrevStep(step, m_radAdvanced->isChecked());
}
