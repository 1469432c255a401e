#pragma once
// The document of the program's single document: it holds no data (projects belong to the
// project database manager), only the usual modified flag.
class CKorvaneDoc
{
public:
    bool OnNewDocument()
    {
        m_bModified = false;
        return true;
    }
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

private:
    bool m_bModified = false;
};
