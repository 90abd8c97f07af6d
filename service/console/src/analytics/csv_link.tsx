export function CsvLink({ query, table, label }: { query: string; table: string; label: string }) {
  return (
    <a class="csv-link" href={`/admin/v1/${query}&format=csv&table=${table}`} download>
      Download {label} as CSV
    </a>
  );
}
