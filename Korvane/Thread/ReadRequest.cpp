#include "Thread/ReadRequest.h"

#include <algorithm>

bool CReadRequest::AllRead() const
{
    return m_arrReadOk.size() == std::size_t(m_arrParam.size())
           && std::all_of(m_arrReadOk.begin(), m_arrReadOk.end(), [](bool ok) { return ok; });
}
