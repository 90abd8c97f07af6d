// The link rules the service applies to calls to action and swipe links, checked while typing so
// the author sees most refusals before saving. The service's answer stays the authority: it also
// knows which deep-link schemes the host apps register.
export function linkProblem(text: string | undefined): string | null {
  const trimmed = (text ?? '').trim();
  if (!trimmed) return null;
  const schemeMatch = /^([a-zA-Z][a-zA-Z0-9+.-]*):/.exec(trimmed);
  let url: URL;
  try {
    url = new URL(schemeMatch && !/^[^:/]+:\d/.test(trimmed) ? trimmed : 'https://' + trimmed);
  } catch {
    return 'is not a link';
  }
  const scheme = url.protocol.slice(0, -1).toLowerCase();
  if (scheme === 'http' || scheme === 'https') {
    if (!url.hostname) return 'needs a host name';
    if (url.username || url.password) return 'must not carry a user name or password';
    return null;
  }
  if (scheme === 'mailto') {
    const query = decodeURIComponent(url.search.slice(1)).toLowerCase();
    if (/(^|&)\s*(attach|attachment|file)\s*=/.test(query)) return 'must not ask the mail client to attach a file';
    return null;
  }
  if (scheme === 'tel') return null;
  // Other schemes may be the host app's own deep links, which only the service knows; these never are.
  if (refusedSchemes.has(scheme) || scheme.startsWith('ms-')) return `uses "${scheme}:", which the app will not open (http, https, mailto, tel and the app's own schemes are allowed)`;
  return null;
}

const refusedSchemes = new Set(['javascript', 'vbscript', 'data', 'file', 'blob', 'about', 'intent', 'search-ms', 'sftp', 'ftp', 'smb', 'jar', 'view-source', 'chrome', 'filesystem']);
